// Placeholder exported calls; replaced by the dispatch of the exported
// interface.
#include "core/middle_internal.h"
#include "qm3middle.h"

extern "C" {

int QM3MiddleInit(long, long) {
  return 0;
}

int QM3SetValue(long lID, signed char cCmd, long lValue1, long lValue2) {
  if ((lID & 0xFF00) == 0x8000)
    return qm3::RunProcess(static_cast<int>(lID & 0xFF), &lValue1, &lValue2);
  if (cCmd != 0) return 1;
  return qm3::WriteValue(static_cast<qm3::ControlId>(lID), static_cast<int32_t>(lValue1));
}

int QM3GetValue(long lID, signed char cCmd, long* plValue1, long* plValue2) {
  if ((lID & 0xFF00) == 0x8000)
    return qm3::RunProcess(static_cast<int>(lID & 0xFF), plValue1, plValue2);
  if (cCmd == 0 && plValue1 != nullptr)
    *plValue1 = qm3::ReadValue(static_cast<qm3::ControlId>(lID));
  return 0;
}

int QM3GetValueStr(long, long, char* pszText) {
  if (pszText != nullptr) *pszText = '\0';
  return 0;
}

int QM3GetStrValue(long, const char*, long* plValue) {
  if (plValue != nullptr) *plValue = 0;
  return 0;
}

int QM3GetValueFunc(int nProcess, long* plValue1, long* plValue2) {
  return qm3::RunProcess(nProcess, plValue1, plValue2);
}

}  // extern "C"
