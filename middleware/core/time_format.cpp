// Formatters and parsers of times, musical positions, tempo and pan.
#include "core/time_format.h"

#include <array>
#include <cstdio>
#include <cstring>
#include <string>

#include "core/control_ids.h"
#include "core/time_base.h"
#include "platform/sjis.h"

namespace qm3 {
namespace {

// Digits beyond this cannot change an in-range result; saturating here keeps
// the field arithmetic free of overflow whatever is typed.
constexpr int64_t kFieldCap = 1000000000000LL;
// Whole part of a typed decimal number; in millionths times 100 it still fits.
constexpr int64_t kDecimalCap = 10000000000LL;

int32_t Saturate(int64_t v) {
  if (v > INT32_MAX) return INT32_MAX;
  if (v < INT32_MIN) return INT32_MIN;
  return static_cast<int32_t>(v);
}

bool IsDigit(char c) {
  return c >= '0' && c <= '9';
}

// Fields of typed text read from the right: digits accumulate into the
// current field, a non-digit closes it; `max_separators` separators are taken
// and one more ends the scan. fields[0] is the rightmost.
struct Fields {
  std::array<int64_t, 4> value{};
  int separators = 0;
};

Fields ScanFields(const char* text, int max_separators) {
  Fields out;
  if (text == nullptr) return out;
  const size_t len = std::strlen(text);
  int field = 0;
  int64_t scale = 1;
  for (size_t i = len; i-- > 0;) {
    const char c = text[i];
    if (IsDigit(c)) {
      if (scale < kFieldCap) {
        out.value[field] += (c - '0') * scale;
        scale *= 10;
      } else if (c != '0') {
        out.value[field] = kFieldCap;
      }
      continue;
    }
    if (out.separators == max_separators) break;
    ++out.separators;
    ++field;
    scale = 1;
  }
  return out;
}

std::string Sjis(const char* utf8) {
  return platform::Utf8ToSjis(utf8);
}

void Copy(const std::string& s, char* text) {
  const size_t n = std::min(s.size(), static_cast<size_t>(kFormatTextSize - 1));
  std::memcpy(text, s.data(), n);
  text[n] = '\0';
}

// Decimal number ("120", "125.5", "-3") times `scale`, rounded half up.
int32_t ParseDecimal(const char* text, int64_t scale) {
  if (text == nullptr) return 0;
  const char* p = text;
  while (*p == ' ' || *p == '\t') ++p;
  bool negative = false;
  if (*p == '+' || *p == '-') negative = *p++ == '-';
  // Work in millionths so that the rounding sees six decimals.
  int64_t whole = 0;
  for (; IsDigit(*p); ++p)
    if (whole < kDecimalCap) whole = whole * 10 + (*p - '0');
  int64_t fraction = 0;
  int64_t unit = 1000000;
  if (*p == '.') {
    for (++p; IsDigit(*p); ++p) {
      unit /= 10;
      fraction += (*p - '0') * unit;
    }
  }
  const int64_t micro = whole * 1000000 + fraction;
  // Far beyond any 32-bit value already: saturate before the product overflows.
  if (scale > 0 && micro > (INT64_MAX - 500000) / scale) {
    return Saturate(negative ? INT64_MIN / 2 : INT64_MAX / 2);
  }
  const int64_t scaled = (micro * scale + 500000) / 1000000;
  return Saturate(negative ? -scaled : scaled);
}

}  // namespace

void FormatTimeInMode(int32_t mode, int32_t frames, char* text) {
  const int64_t v = frames;
  switch (mode) {
    case kDisplayCode24:
      std::snprintf(text, kFormatTextSize, "%1d:%02d:%02d:%02d", int(v / 86400),
                    int((v % 86400) / 1440), int((v % 1440) / 24), int(v % 24));
      return;
    case kDisplayCode25:
      std::snprintf(text, kFormatTextSize, "%1d:%02d:%02d:%02d", int(v / 90000),
                    int((v % 90000) / 1500), int((v % 1500) / 25), int(v % 25));
      return;
    case kDisplayCodeDrop: {
      const int64_t blocks = v / 17982;
      int64_t r = v % 17982;
      int64_t minutes = (blocks % 6) * 10;
      if (r >= 1800) {
        const int64_t rr = r - 1800;
        minutes += rr / 1798 + 1;
        r = rr % 1798 + 2;
      }
      std::snprintf(text, kFormatTextSize, "%1d;%02d;%02d;%02d", int(blocks / 6), int(minutes),
                    int(r / 30), int(r % 30));
      return;
    }
    case kDisplayFrames:
      std::snprintf(text, kFormatTextSize, "%10d", int(v));
      return;
    case kDisplayFeet16mm:
      std::snprintf(text, kFormatTextSize, "%7d+%02d", int(v / 40), int(v % 40));
      return;
    case kDisplayFeet35mm:
      std::snprintf(text, kFormatTextSize, "%7d+%02d", int(v / 16), int(v % 16));
      return;
    default:
      std::snprintf(text, kFormatTextSize, "%1d:%02d:%02d:%02d", int(v / 108000),
                    int((v % 108000) / 1800), int((v % 1800) / 30), int(v % 30));
      return;
  }
}

int32_t ParseTimeInMode(int32_t mode, const char* text) {
  const Fields f = ScanFields(text, 3);
  int64_t frames = f.value[0];
  int64_t seconds = f.value[1];
  int64_t minutes = f.value[2];
  int64_t hours = f.value[3];
  const bool feet_mode = mode == kDisplayFeet16mm || mode == kDisplayFeet35mm;
  if (f.separators == 0) {
    const int64_t n = f.value[0];
    if (feet_mode) {
      seconds = n / 100;  // feet
      frames = n % 100;
    } else if (mode != kDisplayFrames) {
      hours = (n / 1000000) % 10;
      minutes = (n / 10000) % 100;
      seconds = (n / 100) % 100;
      frames = n % 100;
    }
  }
  const int64_t total = seconds + 60 * (minutes + 60 * hours);
  switch (mode) {
    case kDisplayCode24:
      return Saturate(frames + 24 * total);
    case kDisplayCode25:
      return Saturate(frames + 25 * total);
    case kDisplayCodeDrop:
      return Saturate(17982 * (6 * hours + minutes / 10) + 1798 * (minutes % 10) + 30 * seconds +
                      frames);
    case kDisplayFrames:
      return Saturate(frames);
    case kDisplayFeet16mm:
      return Saturate(frames + 40 * seconds);
    case kDisplayFeet35mm:
      return Saturate(frames + 16 * seconds);
    default:
      return Saturate(frames + 30 * total);
  }
}

int32_t FormatTimeCode(int32_t frames, char* text) {
  if (text == nullptr) return 0;
  FormatTimeInMode(ReadValue(kTimeDisplayMode), frames, text);
  return 0;
}

int32_t ParseTimeCode(const char* text, int32_t* frames) {
  if (frames != nullptr) *frames = ParseTimeInMode(ReadValue(kTimeDisplayMode), text);
  return 0;
}

int32_t FormatMeasureBeatTick(int32_t ticks, char* text) {
  if (text == nullptr) return 0;
  const int64_t l = TicksPerMeasure();
  const int64_t t = ticks;
  std::snprintf(text, kFormatTextSize, "%03d:%1d:%02d", int(t / l + 1), int((t % l) / 96 + 1),
                int((t % l) % 96));
  return 0;
}

int32_t FormatMeasureBeat(int32_t ticks, char* text) {
  if (text == nullptr) return 0;
  const int64_t l = TicksPerMeasure();
  const int64_t t = ticks;
  std::snprintf(text, kFormatTextSize, "%03d:%1d", int(t / l + 1), int((t % l) / 96 + 1));
  return 0;
}

int32_t ParseMeasureBeatTick(const char* text, int32_t* ticks) {
  if (ticks == nullptr) return 0;
  const Fields f = ScanFields(text, 2);
  int64_t tick = f.value[0];
  int64_t beat = f.value[1];
  int64_t measure = f.value[2];
  if (f.separators == 0) {
    const int64_t n = f.value[0];
    measure = (n / 1000) % 1000;
    beat = (n / 100) % 10;
    tick = n % 100;
  }
  if (measure == 0) measure = 1;
  if (beat == 0) beat = 1;
  *ticks = Saturate(((measure - 1) * BeatsPerMeasure() + (beat - 1)) * 96 + tick);
  return 0;
}

int32_t FormatTempoWholeBpm(int32_t bpm, char* text) {
  if (text != nullptr) std::snprintf(text, kFormatTextSize, "%3d", bpm);
  return 0;
}

int32_t ParseTempoWholeBpm(const char* text, int32_t* bpm) {
  if (bpm != nullptr) *bpm = ParseDecimal(text, 1);
  return 0;
}

int32_t FormatTempoHundredthBpm(int32_t centi_bpm, char* text) {
  if (text != nullptr)
    std::snprintf(text, kFormatTextSize, "%3d.%02d", centi_bpm / 100, centi_bpm % 100);
  return 0;
}

int32_t ParseTempoHundredthBpm(const char* text, int32_t* centi_bpm) {
  if (centi_bpm != nullptr) *centi_bpm = ParseDecimal(text, 100);
  return 0;
}

// 0x050A and its second name in group 0x07 show 1/100 BPM.
static bool HundredthsView() {
  const ControlId accessed = AccessedId();
  return IndexOf(accessed) == IndexOf(kEditTempo) &&
         (GroupOf(accessed) == kGroupSongEdit || GroupOf(accessed) == kGroupSongEditSecond);
}

int32_t FormatTempo(int32_t value, char* text) {
  return HundredthsView() ? FormatTempoHundredthBpm(value, text) : FormatTempoWholeBpm(value, text);
}

int32_t ParseTempo(const char* text, int32_t* value) {
  return HundredthsView() ? ParseTempoHundredthBpm(text, value) : ParseTempoWholeBpm(text, value);
}

int32_t FormatPan(int32_t pan, char* text) {
  if (text == nullptr) return 0;
  static const std::string left = Sjis("左");
  static const std::string centre = Sjis("中央");
  static const std::string right = Sjis("右");
  char digits[16];
  if (pan >= 0 && pan <= 63) {
    std::snprintf(digits, sizeof digits, "%2d", 64 - pan);
    Copy(left + digits, text);
  } else if (pan == 64) {
    Copy(centre, text);
  } else if (pan >= 65 && pan <= 127) {
    std::snprintf(digits, sizeof digits, "%2d", pan - 64);
    Copy(right + digits, text);
  } else {
    Copy("----", text);
  }
  return 0;
}

int32_t FormatTimeDisplayLabel(int32_t mode, char* text) {
  if (text == nullptr) return 0;
  static const std::array<std::string, 7> labels = {
      Sjis("時:分:秒:ﾌﾚｰﾑ"), Sjis("時:分:秒:ﾌﾚｰﾑ"), Sjis("時;分;秒;ﾌﾚｰﾑ"), Sjis("時:分:秒:ﾌﾚｰﾑ"),
      Sjis("ﾌﾚｰﾑ"),          Sjis("ﾌｨｰﾄ+ﾌﾚｰﾑ"),     Sjis("ﾌｨｰﾄ+ﾌﾚｰﾑ"),
  };
  Copy(mode >= 0 && mode <= 6 ? labels[static_cast<size_t>(mode)] : std::string(), text);
  return 0;
}

}  // namespace qm3
