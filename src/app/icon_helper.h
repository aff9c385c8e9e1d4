#pragma once
// Kest's own executable started as the icon helper: it takes the icons of the files Kest asks
// about and hands back their pixels on its pipe, so that the system's icon code never runs on a
// sample inside Kest. It makes no window, touches no atom, marker or settings file, reads only
// the files it is asked about and loads none of them as code.

namespace kest {

// Serves requests until the pipe breaks (Kest has gone); returns the process's exit code.
int RunIconHelper();

}  // namespace kest
