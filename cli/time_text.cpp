#include "time_text.h"

#include <cctype>
#include <vector>

namespace sonavex::cli {
namespace {

// Splits on the separators in `seps`; false when a field is empty or not
// made of digits, or there are more than `max_fields` fields.
bool SplitFields(const std::string& text, const std::string& seps, size_t max_fields,
                 std::vector<long>* fields) {
  fields->clear();
  std::string digits;
  for (size_t i = 0; i <= text.size(); ++i) {
    if (i == text.size() || seps.find(text[i]) != std::string::npos) {
      if (digits.empty() || digits.size() > 7) return false;
      fields->push_back(std::stol(digits));
      digits.clear();
      continue;
    }
    if (!std::isdigit(static_cast<unsigned char>(text[i]))) return false;
    digits += text[i];
  }
  return fields->size() <= max_fields;
}

std::string TimecodeReason(const std::string& text, const TimeOptions& t) {
  const bool drop = t.fps == "29.97";
  const long rate = t.fps == "24" ? 24 : t.fps == "25" ? 25 : 30;
  const std::string form =
      std::string(drop ? "H;MM;SS;FF (drop-frame, frames 00-29" : "H:MM:SS:FF (frames 00-") +
      (drop ? ", minutes not a multiple of 10 begin at frame 02)" : std::to_string(rate - 1) + ")");
  std::vector<long> f;
  if (!SplitFields(text, drop ? ";:" : ":", 4, &f) || f.size() < 2) {
    return "not a time code; use " + form;
  }
  while (f.size() < 4) f.insert(f.begin(), 0);
  const long hours = f[0], minutes = f[1], seconds = f[2], frames = f[3];
  if (hours > 99 || minutes > 59 || seconds > 59 || frames >= rate) {
    return "out of range; use " + form;
  }
  if (drop && seconds == 0 && minutes % 10 != 0 && frames < 2) {
    return "a frame number drop-frame time code skips; use " + form;
  }
  return "";
}

std::string FeetReason(const std::string& text, long per_foot) {
  const std::string form = "FEET+FF (frames 00-" + std::to_string(per_foot - 1) + ")";
  std::vector<long> f;
  if (!SplitFields(text, "+", 2, &f) || f.size() != 2) return "not feet and frames; use " + form;
  if (f[1] >= per_foot) return "out of range; use " + form;
  return "";
}

}  // namespace

std::string CheckTimeText(const std::string& text, const TimeOptions& t) {
  if (t.format == "frames") {
    std::vector<long> f;
    if (!SplitFields(text, "", 1, &f)) return "not a frame count; use a whole number of frames";
    return "";
  }
  if (t.format == "feet16") return FeetReason(text, 40);
  if (t.format == "feet35") return FeetReason(text, 16);
  return TimecodeReason(text, t);
}

}  // namespace sonavex::cli
