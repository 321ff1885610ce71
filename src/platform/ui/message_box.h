#pragma once

#include <functional>
#include <string>

#include <QPoint>

class QDialog;
class QMenu;
class QWidget;

// Every modal interaction goes through these wrappers, so tests can answer them.
namespace ui {

constexpr int IDOK = 1;
constexpr int IDCANCEL = 2;
constexpr int IDYES = 6;
constexpr int IDNO = 7;

constexpr unsigned MB_OK = 0x0;
constexpr unsigned MB_OKCANCEL = 0x1;
constexpr unsigned MB_YESNO = 0x4;
constexpr unsigned MB_ICONERROR = 0x10;
constexpr unsigned MB_ICONQUESTION = 0x20;
constexpr unsigned MB_ICONWARNING = 0x30;
constexpr unsigned MB_ICONINFORMATION = 0x40;

// The caption of every message box.
inline constexpr const char* kAppTitle = "Koravel";

struct MessageBoxCall {
    std::string text;
    unsigned type = MB_OK;
};

// Shows a message and waits for the answer (IDOK, IDCANCEL, IDYES, IDNO). From a worker
// thread the box is shown on the user-interface thread and only the worker waits.
int messageBox(const std::string& text, unsigned type = MB_OK, QWidget* parent = nullptr);

// Runs a dialog modally and returns its result. The dialog must have been initialised.
int runModal(QDialog& dialog);

// Shows a context menu at a screen point and returns the chosen command id, 0 for none.
// Menu actions carry their command id in their data.
int trackPopupMenu(QMenu& menu, const QPoint& screenPos);

// While the program is ending on a signal nobody may be there to answer: messages then go
// to standard error and get their default answer (IDOK, or IDNO for a question).
void SetNonInteractive(bool on);

// The answer a box gets when nobody gives one: IDOK, IDNO for a question, IDCANCEL where
// Cancel is offered.
int DefaultAnswer(unsigned type);

// Ends the program from wherever it stands, even from inside a modal dialog or a box:
// every dialog, box and menu that is up closes as cancelled, workers waiting on a box get
// its default answer, boxes asked for from now on are answered on standard error, and
// `teardown` runs once, when no modal loop of ours is left on the stack, so nothing is
// destroyed under a dialog that is still running. Later calls only end loops again.
void EndProgram(std::function<void()> teardown);
bool IsEnding();
// Modal loops of ours (dialogs, boxes, menus) running now on the user-interface thread.
int ModalDepth();
// Tests: back to the state before EndProgram.
void ResetEnding();

// Hands a web address to the desktop's browser; false when none could take it.
bool openUrl(const std::string& url);
// Opens the address, or, without a browser to take it, shows it in a box it can be copied
// from.
void OpenWebAddress(const std::string& url, QWidget* parent = nullptr);

// Test hooks: when set, they answer instead of the user.
using MessageBoxHook = std::function<int(const MessageBoxCall&)>;
using ModalHook = std::function<int(QDialog&)>;
using MenuHook = std::function<int(QMenu&, const QPoint&)>;
using OpenUrlHook = std::function<bool(const std::string&)>;
void SetMessageBoxHook(MessageBoxHook hook);
void SetOpenUrlHook(OpenUrlHook hook);
void SetModalHook(ModalHook hook);
void SetMenuHook(MenuHook hook);

} // namespace ui
