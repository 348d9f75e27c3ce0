// A second process for the mutex tests: opens the named mutex given as its argument,
// reports "existed 0|1", then follows commands read from standard input, one per line:
// "lock" (reports "locked"), "try MS" (reports "try 0|1"), "unlock" (reports "unlocked"),
// "exit" (ends without unlocking, as a crash would). End of input ends it too.
#include <chrono>
#include <cstdio>
#include <iostream>
#include <string>

#include "platform/mutex.h"

int main(int argc, char** argv) {
  if (argc < 2) return 2;
  auto mutex = velkoran::platform::NamedMutex::Open(argv[1]);
  if (!mutex) return 3;
  std::cout << "existed " << (mutex->Existed() ? 1 : 0) << std::endl;
  std::string command;
  while (std::cin >> command) {
    if (command == "lock") {
      mutex->Lock();
      std::cout << "locked" << std::endl;
    } else if (command == "try") {
      long ms = 0;
      std::cin >> ms;
      std::cout << "try " << (mutex->Lock(std::chrono::milliseconds(ms)) ? 1 : 0) << std::endl;
    } else if (command == "unlock") {
      std::cout << (mutex->Unlock() ? "unlocked" : "not owner") << std::endl;
    } else if (command == "exit") {
      std::_Exit(0);
    }
  }
  return 0;
}
