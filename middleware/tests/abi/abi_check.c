/* Drives the six calls through the shared library, seeing only qm3middle.h,
 * as a host does. Exits non-zero with a message on the first mismatch. */
#include <stdio.h>
#include <string.h>

#include "qm3middle.h"
#include "qm3middle_ids.h"

static int failures = 0;

static void check(int ok, const char* what) {
  if (!ok) {
    fprintf(stderr, "abi_check: %s\n", what);
    ++failures;
  }
}

int main(void) {
  long a = 0, b = 0;
  char text[256];
  const QM3ReturnCodeTable* codes;
  const QM3OutDeviceList* devices;

  /* No host window: notifications go nowhere. The result depends on the
   * content and the sound module present; it must be a table index. */
  int rc = QM3MiddleInit(0, 0);
  check(rc >= 0 && rc < QM3_RETURN_CODE_COUNT, "QM3MiddleInit returns a return code");

  check(QM3GetValueFunc(0, &a, &b) == 0, "process 0 does nothing and returns 0");
  check(QM3GetValue(0x8025, 0, &a, &b) == 0 && a == 200, "process 37 gives the version 200");

  /* Values: defaults, refusal, aliases, tempo scaling. */
  check(QM3GetValue(QM3_ID_MAIN_VOLUME, QM3_CMD_VALUE, &a, &b) == 0 && a == 7,
        "main volume defaults to 7");
  check(QM3SetValue(0x0601, 0, 11, 0) == 0, "out-of-range write reports success");
  check(QM3GetValue(0x0601, 0, &a, &b) == 0 && a == 7, "out-of-range write keeps the value");
  check(QM3SetValue(0x0310, 0, 4, 0) == 0, "alias write");
  check(QM3GetValue(0x0902, 0, &a, &b) == 0 && a == 4, "alias reaches its target");
  check(QM3GetValue(0x0409, 0, &a, &b) == 0 && a == 120, "tempo in whole BPM");
  check(QM3GetValue(0x050A, 1, &a, &b) == 0 && a == 4000 && b == 30000,
        "edit tempo range in 1/100 BPM");
  check(QM3SetValue(0x0301, 3, 0, 0) == 1, "cCmd 3 is refused with 1");
  a = -1;
  check(QM3GetValue(0x4203, 0, &a, &b) == 0 && a == -1, "screen reads leave results alone");

  /* Text both ways, and null pointers. */
  check(QM3GetValueStr(0x0601, 5, text) == 0 && strcmp(text, " 5") == 0, "text of a value");
  check(QM3GetStrValue(0x0601, "9", &a) == 0 && a == 9, "value of a text");
  check(QM3GetValueStr(0x0601, 5, NULL) == 1, "null text buffer is refused");
  check(QM3GetStrValue(0x0601, NULL, &a) == 1, "null text is refused");

  /* Lists handed out by pointer. */
  check(QM3GetValue(0x8018, 0, &a, &b) == 0, "process 24");
  codes = (const QM3ReturnCodeTable*)a;
  check(codes != NULL && codes->nCount == 27, "return-code table has 27 codes");
  check(codes != NULL && strcmp(codes->aCode[0].pszMessage, "No error") == 0, "code 0 text");
  check(QM3GetValueFunc(13, &a, &b) == 0, "process 13");
  devices = (const QM3OutDeviceList*)a;
  check(devices != NULL && devices->nCount >= 0 && devices->nCount <= QM3_MAX_OUT_DEVICES,
        "device list count");

  /* End. */
  check(QM3SetValue(QM3_ID_PROCESS(QM3_PROC_END), 0, 0, 0) == 0, "End");
  check(QM3GetValue(QM3_ID_MAIN_VOLUME, QM3_CMD_VALUE, &a, &b) == QM3_RC_NOT_INITIALISED,
        "calls after the end are refused");
  (void)QM3MiddleInit(0, 0);
  check(QM3GetValue(QM3_ID_MAIN_VOLUME, QM3_CMD_VALUE, &a, &b) == 0, "initialised again");
  check(QM3SetValue(QM3_ID_PROCESS(QM3_PROC_END), 0, 0, 0) == 0, "End again");
  return failures == 0 ? 0 : 1;
}
