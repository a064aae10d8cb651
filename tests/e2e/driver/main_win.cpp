// uidriver.exe: drives another process's window from outside, the way a person would.
//   uidriver.exe                 server: one request per line on stdin, one JSON line per request on stdout
//   uidriver.exe COMMAND ARGS... one request; exit code 0 when it succeeded
// Requests and answers are UTF-8; see tests/e2e/README.md for the commands.
#include <windows.h>

#include <shellapi.h>

#include <string>

#include "tests/e2e/driver/commands_win.h"
#include "tests/e2e/driver/text_win.h"

namespace {

void WriteLine(HANDLE output, const std::string& line) {
    std::string bytes = line + "\n";
    size_t at = 0;
    while (at < bytes.size()) {
        DWORD written = 0;
        if (!WriteFile(output, bytes.data() + at, static_cast<DWORD>(bytes.size() - at), &written, nullptr) ||
            written == 0) {
            return;
        }
        at += written;
    }
}

int Serve(Session& session) {
    HANDLE input = GetStdHandle(STD_INPUT_HANDLE);
    HANDLE output = GetStdHandle(STD_OUTPUT_HANDLE);
    std::string pending;
    char buffer[4096];
    bool quit = false;
    while (!quit) {
        size_t newline;
        while (!quit && (newline = pending.find('\n')) != std::string::npos) {
            std::string line = pending.substr(0, newline);
            pending.erase(0, newline + 1);
            if (!line.empty() && line.back() == '\r')
                line.pop_back();
            if (line.find_first_not_of(" \t") == std::string::npos)
                continue;
            RequestLine request = ParseRequestLine(line);
            if (!request.error.empty()) {
                JsonValue reply = JsonValue::MakeObject();
                reply.Set("ok", false).Set("cmd", "").Set("error", request.error);
                WriteLine(output, reply.Serialize());
                continue;
            }
            WriteLine(output, RunRequest(session, request.words, quit));
        }
        DWORD read = 0;
        if (quit || !ReadFile(input, buffer, sizeof(buffer), &read, nullptr) || read == 0)
            break;
        pending.append(buffer, read);
    }
    return 0;
}

}  // namespace

int main() {
    int count = 0;
    wchar_t** wide = CommandLineToArgvW(GetCommandLineW(), &count);
    std::vector<std::string> words;
    for (int n = 1; n < count; ++n)
        words.push_back(WideToUtf8(wide[n]));
    (void)LocalFree(wide);

    Session session;
    if (words.empty() || words[0] == "--serve")
        return Serve(session);
    bool quit = false;
    std::string reply = RunRequest(session, words, quit);
    WriteLine(GetStdHandle(STD_OUTPUT_HANDLE), reply);
    return reply.rfind("{\"ok\":true", 0) == 0 ? 0 : 1;
}
