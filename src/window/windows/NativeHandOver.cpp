#include "window/NativeHandOver.h"

#include "instance/SingleInstance.h"

#include <QDeadlineTimer>
#include <QThread>
#include <QWidget>
#include <algorithm>
#include <string>
#include <windows.h>

// The running game is found by a window of the class "TFormGoalvanta" and takes a
// path by WM_COPYDATA: dwData 1, the path as zero-terminated text in the system's
// ANSI code page, cbData its length with the zero. Other programs know the game by
// exactly this, so the game keeps a hidden window of that class, owned by the main
// window, only to receive it.
//
// The program itself runs with UTF-8 as its code page (its manifest), so texts are
// converted between the system's ANSI code page on the wire and the program's.
namespace goalvanta {

namespace {

const wchar_t* const ClassName = L"TFormGoalvanta";
constexpr ULONG_PTR OpenPathData = THandOverRecord::OpenPathCode;
// Posted to the hidden window when a sender made it the foreground window: the
// main window takes its place once the activation is over.
constexpr UINT ForwardActivation = WM_APP + 1;

UINT SystemAnsiCodePage() {
    DWORD codePage = 0;
    if (::GetLocaleInfoW(LOCALE_SYSTEM_DEFAULT, LOCALE_IDEFAULTANSICODEPAGE | LOCALE_RETURN_NUMBER,
                         reinterpret_cast<wchar_t*>(&codePage),
                         sizeof codePage / sizeof(wchar_t)) == 0 ||
        codePage == 0)
        return CP_ACP;
    return codePage;
}

std::optional<std::wstring> ToWide(const std::string& text, UINT codePage) {
    if (text.empty())
        return std::wstring();
    const int size = ::MultiByteToWideChar(codePage, MB_ERR_INVALID_CHARS, text.data(),
                                           static_cast<int>(text.size()), nullptr, 0);
    if (size <= 0)
        return std::nullopt;
    std::wstring wide(static_cast<std::size_t>(size), L'\0');
    ::MultiByteToWideChar(codePage, MB_ERR_INVALID_CHARS, text.data(),
                          static_cast<int>(text.size()), wide.data(), size);
    return wide;
}

// `text` in `codePage`, or nothing when a character has no place in it (no "best
// fit" look-alikes: a path must name exactly the file it names).
std::optional<std::string> FromWide(const std::wstring& text, UINT codePage) {
    if (text.empty())
        return std::string();
    const bool utf8 = codePage == CP_UTF8;
    BOOL lost = FALSE;
    const DWORD flags = utf8 ? 0 : WC_NO_BEST_FIT_CHARS;
    const int size =
        ::WideCharToMultiByte(codePage, flags, text.data(), static_cast<int>(text.size()), nullptr,
                              0, nullptr, utf8 ? nullptr : &lost);
    if (size <= 0 || lost)
        return std::nullopt;
    std::string narrow(static_cast<std::size_t>(size), '\0');
    ::WideCharToMultiByte(codePage, flags, text.data(), static_cast<int>(text.size()),
                          narrow.data(), size, nullptr, nullptr);
    return narrow;
}

std::optional<std::string> Recode(const std::string& text, UINT from, UINT to) {
    const std::optional<std::wstring> wide = ToWide(text, from);
    return wide ? FromWide(*wide, to) : std::nullopt;
}

// The text of a WM_COPYDATA hand-over: exactly one zero, at its end, and no more
// than a hand-over record may carry.
std::optional<std::string> CopyDataText(const COPYDATASTRUCT& data) {
    if (data.dwData != OpenPathData || data.cbData < 1 ||
        data.cbData > THandOverRecord::MaxTextBytes || data.lpData == nullptr)
        return std::nullopt;
    const char* bytes = static_cast<const char*>(data.lpData);
    const std::size_t length = data.cbData - 1;
    if (bytes[length] != '\0' || std::find(bytes, bytes + length, '\0') != bytes + length)
        return std::nullopt;
    return std::string(bytes, length);
}

} // namespace

struct TNativeHandOver::TImpl {
    THandler Handler;
    HWND Main = nullptr;
    HWND Receiver = nullptr;

    static LRESULT CALLBACK Procedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
        if (message == WM_NCCREATE) {
            const auto* create = reinterpret_cast<const CREATESTRUCTW*>(lParam);
            ::SetWindowLongPtrW(window, GWLP_USERDATA,
                                reinterpret_cast<LONG_PTR>(create->lpCreateParams));
        }
        auto* self = reinterpret_cast<TImpl*>(::GetWindowLongPtrW(window, GWLP_USERDATA));
        if (self != nullptr) {
            switch (message) {
            case WM_COPYDATA:
                return self->Receive(*reinterpret_cast<const COPYDATASTRUCT*>(lParam)) ? TRUE
                                                                                       : FALSE;
            case WM_ACTIVATE:
                if (LOWORD(wParam) != WA_INACTIVE)
                    ::PostMessageW(window, ForwardActivation, 0, 0);
                break;
            case ForwardActivation:
                if (self->Main != nullptr)
                    ::SetForegroundWindow(self->Main);
                return 0;
            default:
                break;
            }
        }
        return ::DefWindowProcW(window, message, wParam, lParam);
    }

    bool Receive(const COPYDATASTRUCT& data) {
        const std::optional<std::string> text = CopyDataText(data);
        if (!text) {
            qCInfo(lcInstance) << "malformed WM_COPYDATA hand-over: dropped";
            return false;
        }
        const std::optional<std::string> path = Recode(*text, SystemAnsiCodePage(), CP_ACP);
        if (!path) {
            qCInfo(lcInstance) << "WM_COPYDATA hand-over not in the ANSI code page: dropped";
            return false;
        }
        return Handler && Handler({THandOverRecord::OpenPathCode, *path});
    }
};

TNativeHandOver::TNativeHandOver(QWidget& window, THandler handler)
    : FImpl(std::make_unique<TImpl>()) {
    FImpl->Handler = std::move(handler);
    // On a platform without native windows (offscreen, in tests) there is no owner.
    const auto main = reinterpret_cast<HWND>(window.winId());
    FImpl->Main = ::IsWindow(main) ? main : nullptr;
    const HINSTANCE instance = ::GetModuleHandleW(nullptr);
    WNDCLASSEXW type{};
    type.cbSize = sizeof type;
    type.lpfnWndProc = &TImpl::Procedure;
    type.hInstance = instance;
    type.lpszClassName = ClassName;
    if (::RegisterClassExW(&type) == 0 && ::GetLastError() != ERROR_CLASS_ALREADY_EXISTS) {
        qCWarning(lcInstance) << "cannot register the hand-over window class:" << ::GetLastError();
        return;
    }
    // Never shown, never in the task bar; owned by the main window so that a sender
    // finds the window to bring to the front as its owner.
    FImpl->Receiver = ::CreateWindowExW(WS_EX_TOOLWINDOW, ClassName, L"Goalvanta", WS_POPUP, 0, 0,
                                        0, 0, FImpl->Main, nullptr, instance, FImpl.get());
    if (FImpl->Receiver == nullptr)
        qCWarning(lcInstance) << "cannot create the hand-over window:" << ::GetLastError();
}

TNativeHandOver::~TNativeHandOver() {
    if (FImpl->Receiver != nullptr)
        ::DestroyWindow(FImpl->Receiver);
}

std::optional<bool> HandOverToRunningGame(const QString& serverPath, const THandOverRecord& record,
                                          int deadlineMs) {
    const QDeadlineTimer deadline(deadlineMs);
    const auto left = [&deadline] { return std::max<qint64>(deadline.remainingTime(), 0); };
    HWND receiver = nullptr;
    // The running game may still be setting up its window.
    while ((receiver = ::FindWindowW(ClassName, nullptr)) == nullptr) {
        if (deadline.hasExpired())
            return std::nullopt;
        QThread::msleep(static_cast<unsigned long>(std::min<qint64>(left(), 50)));
    }
    // This start is the one the user just made, so it may give the game the front.
    DWORD process = 0;
    ::GetWindowThreadProcessId(receiver, &process);
    ::AllowSetForegroundWindow(process);
    if (const HWND main = ::GetWindow(receiver, GW_OWNER)) {
        if (::IsIconic(main))
            ::ShowWindowAsync(main, SW_RESTORE);
        ::SetForegroundWindow(main);
    }

    const std::optional<std::string> ansi = Recode(record.Text, CP_ACP, SystemAnsiCodePage());
    if (!ansi) // a name the old interface cannot carry goes by the socket
        return SendHandOver(serverPath, record, static_cast<int>(left()));
    COPYDATASTRUCT data{};
    data.dwData = OpenPathData;
    data.cbData = static_cast<DWORD>(ansi->size() + 1);
    data.lpData = const_cast<char*>(ansi->c_str());
    DWORD_PTR answer = 0;
    if (::SendMessageTimeoutW(receiver, WM_COPYDATA, 0, reinterpret_cast<LPARAM>(&data),
                              SMTO_ABORTIFHUNG, static_cast<UINT>(std::max<qint64>(left(), 1)),
                              &answer) == 0)
        return std::nullopt; // hung, gone, or too slow
    return answer != 0;
}

} // namespace goalvanta
