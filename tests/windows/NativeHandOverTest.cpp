#include "window/NativeHandOver.h"

#include <QElapsedTimer>
#include <QTest>
#include <QWidget>
#include <optional>
#include <string>
#include <vector>
#include <windows.h>

using namespace goalvanta;

Q_DECLARE_METATYPE(std::string)

// The running game's end of WM_COPYDATA, as other programs reach it: found by its
// class name, and answering 1 only for a sound open-path block the window took.
class NativeHandOverTest : public QObject {
    Q_OBJECT

    static LRESULT Send(ULONG_PTR code, const std::string& block) {
        HWND receiver = ::FindWindowW(L"TFormGoalvanta", nullptr);
        if (receiver == nullptr)
            return -1;
        COPYDATASTRUCT data{};
        data.dwData = code;
        data.cbData = static_cast<DWORD>(block.size());
        data.lpData = block.empty() ? nullptr : const_cast<char*>(block.data());
        return ::SendMessageW(receiver, WM_COPYDATA, 0, reinterpret_cast<LPARAM>(&data));
    }

private slots:
    void blocksAreTakenOnlyWhenSound_data() {
        QTest::addColumn<qulonglong>("code");
        QTest::addColumn<std::string>("block");
        QTest::addColumn<bool>("taken");
        QTest::addColumn<std::string>("text");
        using S = std::string;
        QTest::newRow("path") << 1ull << S("C:\\games\\a.gvs", 15) << true << S("C:\\games\\a.gvs");
        QTest::newRow("empty path, one zero") << 1ull << S("", 1) << true << S();
        // The system's ANSI code page here is 1252: 0xE9 is e with an acute accent.
        QTest::newRow("ANSI text")
            << 1ull << S("C:\\\xE9.gvs\0", 9) << true << S("C:\\\xC3\xA9.gvs");
        QTest::newRow("another code") << 2ull << S("C:\\a.gvs", 9) << false << S();
        QTest::newRow("no terminating zero") << 1ull << S("C:\\a.gvs") << false << S();
        QTest::newRow("zero inside") << 1ull << S("C:\\a\0b.gvs", 11) << false << S();
        QTest::newRow("nothing at all") << 1ull << S() << false << S();
    }

    void blocksAreTakenOnlyWhenSound() {
        QFETCH(qulonglong, code);
        QFETCH(std::string, block);
        QFETCH(bool, taken);
        QFETCH(std::string, text);
        QWidget window;
        std::vector<THandOverRecord> records;
        TNativeHandOver receiver(window, [&records](const THandOverRecord& record) {
            records.push_back(record);
            return true;
        });
        QCOMPARE(Send(static_cast<ULONG_PTR>(code), block), taken ? 1 : 0);
        QCOMPARE(records.size(), taken ? std::size_t{1} : std::size_t{0});
        if (taken) {
            QCOMPARE(records[0].Code, THandOverRecord::OpenPathCode);
            QCOMPARE(records[0].Text, text);
        }
    }

    void windowThatRefusesAnswersZero() {
        QWidget window;
        TNativeHandOver receiver(window, [](const THandOverRecord&) { return false; });
        QCOMPARE(Send(1, std::string("C:\\a.gvs", 9)), 0);
    }

    void receiverIsGoneWithItsObject() {
        QWidget window;
        {
            TNativeHandOver receiver(window, [](const THandOverRecord&) { return true; });
        }
        QCOMPARE(::FindWindowW(L"TFormGoalvanta", nullptr), static_cast<HWND>(nullptr));
    }

    void secondStartWithoutAGameGetsNoAnswerInTime() {
        QElapsedTimer clock;
        clock.start();
        QCOMPARE(HandOverToRunningGame(QStringLiteral("no-such-server"), {1, "C:\\a.gvs"}, 300),
                 std::optional<bool>());
        QVERIFY(clock.elapsed() < 2000);
    }
};

QTEST_MAIN(NativeHandOverTest)
#include "NativeHandOverTest.moc"
