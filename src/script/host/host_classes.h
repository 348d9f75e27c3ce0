// The host classes scripts may create with `new` besides the built-in ones (files,
// directories, string lists, INI files, CRC, Base64, dialogs, mutexes, network, automation).
// Every host component that wants them passes RegisterHostClasses as its registrar, and
// eval's fresh components inherit it.
#pragma once

namespace kestrin {

class TKestrin;

// Registers every host class that exists, in the documented order.
void RegisterHostClasses(TKestrin& host);

}  // namespace kestrin
