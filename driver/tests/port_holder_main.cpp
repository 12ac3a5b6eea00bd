// A second driver process for the cross-process tests. Opens port 0 of the
// direction named by argv[1] ("out" or "in"), prints "open <result>", holds
// the port until a line arrives on stdin, closes it, prints
// "closed <result>" and exits.
#include <cstdio>
#include <cstring>
#include <iostream>
#include <string>

#include "driver_fixture.h"
#include "fake_endpoint.h"

using namespace platform;

int main(int argc, char** argv) {
  const bool output = argc > 1 && std::strcmp(argv[1], "in") != 0;
  IsolateDriverEnvironment();
  FakeEndpoint endpoint;
  DriverProc(0, nullptr, DRV_LOAD, 0, 0);
  const DWORD opened = output ? OpenOutputPort(0, false) : OpenInputPort(0, false);
  std::printf("open %u\n", opened);
  std::fflush(stdout);
  std::string line;
  std::getline(std::cin, line);
  DWORD closed = 0;
  if (opened == MMSYSERR_NOERROR) {
    closed = output ? modMessage(0, MODM_CLOSE, 0, 0, 0) : midMessage(0, MIDM_CLOSE, 0, 0, 0);
  }
  std::printf("closed %u\n", closed);
  std::fflush(stdout);
  DriverProc(0, nullptr, DRV_FREE, 0, 0);
  return 0;
}
