#include "support/WindowTest.h"

#include "device/SessionTiming.h"
#include "support/PdfText.h"
#include "ui/SetupSheetActions.h"

#include <QApplication>
#include <QComboBox>
#include <QContextMenuEvent>
#include <QPrinter>
#include <QTabBar>
#include <QTest>
#include <QTimer>
#include <chrono>
#include <cstdlib>
#include <sys/ioctl.h>

namespace {

constexpr const char* kCatalogue = "MODULE1_LEADS=16\r\nMODULE1_DESC=Sixteen\r\n"
                                   "MODULE2_LEADS=17\r\nMODULE2_DESC=Seventeen\r\n"
                                   "MODULE3_LEADS=32\r\nMODULE3_DESC=Thirty-two\r\n"
                                   "MODULE4_LEADS=33\r\nMODULE4_DESC=Thirty-three\r\n"
                                   "MODULE5_LEADS=40\r\nMODULE5_DESC=Forty\r\n"
                                   "MODULE6_LEADS=70\r\nMODULE6_DESC=Seventy\r\n"
                                   "MODULE7_LEADS=20\r\nMODULE7_DESC=Twenty\r\n"
                                   "MODULE8_LEADS=2\r\nMODULE8_DESC=Pair\r\n";

} // namespace

void WindowTest::SetUp() {
    TempDataFolder::SetUp();
    writeFile(workFolder / "Modules.dat", kCatalogue);
    writeSettings(1);
}

void WindowTest::TearDown() {
    window.reset();
    TempDataFolder::TearDown();
}

void WindowTest::writeSettings(std::optional<int> storedPort) {
    std::string content = "COMMDEVICE1=" + port.slavePath() + "\r\n";
    if (storedPort)
        content += "COMMPORT=" + std::to_string(*storedPort) + "\r\n";
    writeFile(dataFolder / "zenset.sys", content);
}

void WindowTest::startWindow() {
    window = std::make_unique<MainWindow>(
        nullptr, [this] { return discoveredPorts; }, clock.function());
    window->show();
    ASSERT_TRUE(waitUntil([this] {
        return modals.titles.contains("CAUTION") && QApplication::activeModalWidget() == nullptr;
    }));
}

void WindowTest::activate() {
    window->activateWindow();
    QApplication::setActiveWindow(window.get());
    ASSERT_TRUE(waitUntil([this] { return window->isActiveWindow(); }));
}

void WindowTest::typeInto(const char* editName, const QString& text) {
    activate();
    auto* edit = find<QLineEdit>(editName);
    edit->setFocus(Qt::MouseFocusReason);
    ASSERT_TRUE(edit->hasFocus()) << editName;
    edit->selectAll();
    QTest::keyClicks(edit, text);
}

std::string WindowTest::printedSheet() {
    const std::filesystem::path pdf = root / "printed.pdf";
    QPrinter printer(QPrinter::HighResolution);
    printer.setOutputFormat(QPrinter::PdfFormat);
    printer.setOutputFileName(QString::fromStdString(pdf.string()));
    window->findChild<SetupSheetActions*>()->printSheet(printer);
    return pdfText(pdf);
}

void WindowTest::useContextMenu(const std::function<void(QMenu&)>& act) {
    QTimer::singleShot(0, [act] {
        if (auto* menu = qobject_cast<QMenu*>(QApplication::activePopupWidget()))
            act(*menu);
    });
    QContextMenuEvent click(QContextMenuEvent::Mouse, QPoint(5, 5),
                            window->mapToGlobal(QPoint(5, 5)));
    QApplication::sendEvent(window.get(), &click);
}

void WindowTest::pickFromContextMenu(Qt::Key key) {
    useContextMenu([key](QMenu& menu) { QTest::keyClick(&menu, key); });
}

void WindowTest::pollTick() {
    clock.skip(SessionTiming::kPollPeriod);
    window->instrumentDriver().wake();
}

bool WindowTest::replyRead(const PseudoTerminal& line) {
    return waitUntil([&line] {
        int waiting = 0;
        return ioctl(line.slaveFd(), FIONREAD, &waiting) == 0 && waiting == 0;
    });
}

bool WindowTest::waitUntil(const std::function<bool()>& condition) {
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(2);
    while (!condition()) {
        if (std::chrono::steady_clock::now() > deadline)
            return false;
        QCoreApplication::processEvents(QEventLoop::AllEvents, 10);
    }
    return true;
}

void WindowTest::pickModule(int code) {
    auto* list = find<QComboBox>("moduleList");
    const int index = list->findData(code);
    ASSERT_GE(index, 0) << code;
    list->setCurrentIndex(index);
    emit list->activated(index);
}

void WindowTest::typeName(int row, const QString& name) {
    QLineEdit* edit = leadEdit(row);
    edit->selectAll();
    QTest::keyClicks(edit, name);
}

void WindowTest::showTab(int index) {
    find<QTabBar>("leadTabs")->setCurrentIndex(index);
}
