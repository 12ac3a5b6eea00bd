// Attaches the time, position, tempo and pan text forms to their records.
#include "core/control_ids.h"
#include "core/time_format.h"

namespace qm3 {
namespace {

struct Forms {
  ControlId id;
  FormatFn formatter;
  ParseFn parser;
};

const Forms kForms[] = {
    {kStartTime, FormatTimeCode, ParseTimeCode},
    {kEndTime, FormatTimeCode, ParseTimeCode},
    {kSongLength, FormatMeasureBeat, nullptr},
    // One record seen as whole BPM (0x0409) and 1/100 BPM (0x050A).
    {kTempo, FormatTempo, ParseTempo},
    {kSync1Time, FormatTimeCode, ParseTimeCode},
    {kSync1Measure, FormatMeasureBeatTick, ParseMeasureBeatTick},
    {kSync2Time, FormatTimeCode, ParseTimeCode},
    {kSync2Measure, FormatMeasureBeatTick, ParseMeasureBeatTick},
    {kTimeDisplayMode, FormatTimeDisplayLabel, nullptr},
    {kPointerTime, FormatTimeCode, nullptr},
    {kPointerTicks, FormatMeasureBeatTick, nullptr},
};

}  // namespace

// Registers what this file provides; called from the one list in
// core/registration.cpp when the instance is made.
void RegisterTextForms() {
  for (const Forms& f : kForms) AttachTextForms(f.id, f.formatter, f.parser);
  for (int part = 1; part <= kPartCount; ++part) AttachTextForms(PartPan(part), FormatPan, nullptr);
}
}  // namespace qm3
