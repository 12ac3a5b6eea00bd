/* Links only against qm3middle.h and the shared library, as a host does. */
#include <stdio.h>

#include "qm3middle.h"

int main(void) {
  long a = 0, b = 0;
  if (QM3GetValueFunc(0, &a, &b) != 0) {
    fprintf(stderr, "process 0 must do nothing and return 0\n");
    return 1;
  }
  (void)QM3MiddleInit;
  (void)QM3SetValue;
  (void)QM3GetValue;
  (void)QM3GetValueStr;
  (void)QM3GetStrValue;
  return 0;
}
