#pragma once

#include <cstdint>
#include <functional>

// The program's own window messages. They keep the numbers the windows have always
// used (user messages from 0x500 up), so a message seen in a trace reads the same.
namespace msg {

using WPARAM = std::uintptr_t;
using LPARAM = std::intptr_t;

constexpr unsigned WM_USER_BASE = 0x500;
constexpr unsigned WM_TOPPERS_BATCH_DONE = WM_USER_BASE + 0; // wParam: exchange index
constexpr unsigned WM_TRAY_NOTIFY = WM_USER_BASE + 1;        // tray icon callback
constexpr unsigned WM_QUOTES_READY = WM_USER_BASE + 3;       // wParam: 1 read to the end, 0 failed
constexpr unsigned WM_BACKFILL_NEXT = WM_USER_BASE + 4;      // next backfill step
constexpr unsigned WM_BACKFILL_STOPPED = WM_USER_BASE + 5;   // backfill has stopped
constexpr unsigned WM_PROBE_DONE = WM_USER_BASE + 6;         // wParam: 1 the service answered

// How code without a window hands a message back: the window binds this to its own
// posted-event queue. Must be callable from any thread and must not block.
using Poster = std::function<void(unsigned message, WPARAM wParam, LPARAM lParam)>;

} // namespace msg
