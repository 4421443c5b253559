// Hands a path to the running game the way other programs do: WM_COPYDATA to the
// window of class "TFormGoalvanta", dwData 1, the path as zero-terminated text in
// the ANSI code page, cbData its length with the zero. Prints the game's answer.
//
//   windows_copydata_sender PATH [DATA]     exit 0 taken, 1 refused, 2 no game, 3 no answer
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <windows.h>

int main(int argc, char* argv[]) {
    if (argc < 2) {
        std::fprintf(stderr, "usage: windows_copydata_sender PATH [DATA]\n");
        return 64;
    }
    HWND window = nullptr;
    for (int attempt = 0; attempt < 100 && window == nullptr; ++attempt) {
        window = ::FindWindowA("TFormGoalvanta", nullptr);
        if (window == nullptr)
            ::Sleep(100);
    }
    if (window == nullptr) {
        std::fprintf(stderr, "no window of class TFormGoalvanta\n");
        return 2;
    }
    ::SetForegroundWindow(window);
    COPYDATASTRUCT data{};
    data.dwData = argc > 2 ? std::strtoul(argv[2], nullptr, 10) : 1;
    data.cbData = static_cast<DWORD>(std::strlen(argv[1]) + 1);
    data.lpData = argv[1];
    DWORD_PTR answer = 0;
    if (::SendMessageTimeoutA(window, WM_COPYDATA, 0, reinterpret_cast<LPARAM>(&data),
                              SMTO_ABORTIFHUNG, 5000, &answer) == 0) {
        std::fprintf(stderr, "no answer\n");
        return 3;
    }
    std::printf("answer %u\n", static_cast<unsigned>(answer));
    return answer != 0 ? 0 : 1;
}
