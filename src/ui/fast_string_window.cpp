#include "ui/fast_string_window.h"

namespace kest {

TfKFS::TfKFS(AppContext& ctx, SettingsFile& settings) : ctx_(ctx), settings_(settings) {}

bool TfKFS::Create(HWND owner) {
  static bool registered = false;
  if (!registered) {
    RegisterWindowClass(kFastStringWindowClass, CS_DBLCLKS,
                        static_cast<HBRUSH>(GetStockObject(BLACK_BRUSH)));
    registered = true;
  }
  int left = settings_.read(opt::KFSLeft);
  int top = settings_.read(opt::KFSTop);
  int width = settings_.read(opt::KFSWidth);
  int height = settings_.read(opt::KFSHeight);
  return CreateWindowFor(WS_EX_TOOLWINDOW, kFastStringWindowClass, "Kest fast string",
                         WS_POPUP | WS_CLIPCHILDREN, left, top, width, height, owner) != nullptr;
}

LRESULT TfKFS::HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) {
  return Default(message, wParam, lParam);
}

}  // namespace kest
