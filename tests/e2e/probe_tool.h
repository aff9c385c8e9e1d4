#pragma once
// The probe program as a tool of a test's catalog, and what it recorded when it ran.
#include <optional>
#include <string>

#include "catalog/shortcuts.h"
#include "e2e/harness.h"
#include "platform/win32/com_ptr.h"
#include "platform/win32/file_system.h"
#include "platform/win32/shell_links.h"

namespace kest::e2etest {

// A catalog with the probe as a tool; returns the probe's path.
inline std::string AddProbeTool(const e2e::AppDir& app, const std::string& linkRelative,
                                const std::string& probeDir = "tools") {
  std::string probe = app.file(probeDir + "\\probe.exe");
  e2e::MakeDirs(app.file(probeDir));
  CopyFileA((e2e::ExeDir() + "kest_probe.exe").c_str(), probe.c_str(), FALSE);
  e2e::MakeDirs(app.file(linkRelative.substr(0, linkRelative.find_last_of('\\'))));
  win32::ComApartment com;
  win32::Win32FileSystem fs;
  win32::ComShellLinks links;
  CreateShortcut(links, fs, probe, app.file(linkRelative), "");
  return probe;
}

// "cmd=..." and "cwd=..." of the probe's last start.
struct ProbeRun {
  std::string cmd, cwd;
};
inline std::optional<ProbeRun> WaitForProbe(const e2e::AppDir& app, const std::string& probeDir = "tools",
                                            DWORD ms = 10000) {
  std::string log;
  if (!e2e::WaitUntil([&] {
        log = app.readFile(probeDir + "\\probe.log");
        return log.find("cwd=") != std::string::npos && log.back() == '\n';
      }, ms))
    return std::nullopt;
  ProbeRun run;
  std::size_t c = log.rfind("cmd="), d = log.rfind("cwd=");
  run.cmd = log.substr(c + 4, log.find("\r\n", c) - c - 4);
  run.cwd = log.substr(d + 4, log.find("\r\n", d) - d - 4);
  return run;
}

}  // namespace kest::e2etest
