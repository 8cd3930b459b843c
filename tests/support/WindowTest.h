#pragma once

#include "support/ModalRecorder.h"
#include "support/PseudoTerminal.h"
#include "support/TempDataFolder.h"
#include "support/TestClock.h"
#include "ui/MainWindow.h"

#include <QGuiApplication>
#include <QLineEdit>
#include <QMenu>
#include <QPushButton>
#include <filesystem>
#include <functional>
#include <gtest/gtest.h>
#include <memory>
#include <optional>
#include <ostream>
#include <string>

inline void PrintTo(const QString& text, std::ostream* out) {
    *out << '"' << text.toStdString() << '"';
}
inline void PrintTo(const QStringList& texts, std::ostream* out) {
    *out << '{' << texts.join("\", \"").toStdString() << '}';
}

// An outside client holds the program while this lives, as the automation proxy does: the
// application goes on when its last window closes.
class ProgramHeld {
public:
    ProgramHeld() { QGuiApplication::setQuitOnLastWindowClosed(false); }
    ProgramHeld(const ProgramHeld&) = delete;
    ProgramHeld& operator=(const ProgramHeld&) = delete;
    ~ProgramHeld() { QGuiApplication::setQuitOnLastWindowClosed(true); }
};

// The real main window in a temporary world: XDG_DATA_HOME and the working directory are
// folders of their own, the working directory holds a module catalogue, and COM 1 is a
// pseudo-terminal. Every modal window is answered by the recorder.
class WindowTest : public TempDataFolder {
public:
    // Module numbers of the catalogue written for every test, by lead count.
    enum Module : int {
        Leads16 = 1,
        Leads17,
        Leads32,
        Leads33,
        Leads40,
        Leads70,
        Leads20,
        Leads2,
    };

protected:
    void SetUp() override;
    void TearDown() override;

    // zenset.sys with COM 1 standing for the pseudo-terminal and, when given, a stored port.
    void writeSettings(std::optional<int> storedPort);
    // Constructs and shows the window and lets its start-up work run to its end.
    void startWindow();
    // Processes events until the condition holds; false when it did not within two seconds.
    static bool waitUntil(const std::function<bool()>& condition);

    template <typename Widget> Widget* find(const QString& name) {
        auto* widget = window->findChild<Widget*>(name);
        EXPECT_NE(widget, nullptr) << name.toStdString();
        return widget;
    }
    QLineEdit* leadEdit(int row) { return find<QLineEdit>(QString("leadEdit%1").arg(row)); }
    QPushButton* button(const char* name) { return find<QPushButton>(name); }
    // Chooses the module in the list as the user does.
    void pickModule(int code);
    // Types into a lead's edit as the user does, replacing what it showed.
    void typeName(int row, const QString& name);
    void showTab(int index);
    // The focus comes back only to an active window; a modal window that closed, or hiding the
    // window, took it along.
    void activate();
    // Types into an edit that has the focus, replacing what it showed, and leaves the focus there.
    void typeInto(const char* editName, const QString& text);
    // The text of the setup sheet the window prints, drawn by a PDF printer into root.
    std::string printedSheet();
    // Right-clicks the window and acts on its menu while it is open.
    void useContextMenu(const std::function<void(QMenu&)>& act);
    // Right-clicks the window and picks the item of the menu whose mnemonic is key.
    void pickFromContextMenu(Qt::Key key);
    // One poll period passes at once: the session polls.
    void pollTick();
    // Waits until the session has read every byte that reached its port on line.
    bool replyRead(const PseudoTerminal& line);

    PseudoTerminal port;
    TestClock clock;
    ModalRecorder modals;
    // The serial ports the window finds on this computer: none, unless a test lays some out.
    std::vector<DiscoveredPort> discoveredPorts;
    std::unique_ptr<MainWindow> window;
};
