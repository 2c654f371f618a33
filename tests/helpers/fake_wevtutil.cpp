// A wevtutil that reads no event log: "qe system /f:text /q:QUERY" prints, in the tool's layout, the
// events of wevtutil-events.txt whose id the query names (and later than "@SystemTime>'T'"), and
// appends its arguments, tab-separated, to wevtutil-calls.txt. The events file holds lines
// "ID SYSTEMTIME DATETEXT", "exit CODE" (end so at once) or "hang SECONDS" (wait, print nothing).
#include <cstdio>
#include <cstdlib>
#include <fcntl.h>
#include <fstream>
#include <io.h>
#include <sstream>
#include <string>
#include <windows.h>

namespace {

// The text between a marker and the next closing character; empty when absent.
std::string between(const std::string &text, const std::string &marker, const std::string &closing)
{
    const std::size_t start = text.find(marker), from = start + marker.size();
    return start == std::string::npos ? std::string() : text.substr(from, text.find_first_of(closing, from) - from);
}

} // namespace

int main(int argc, char *argv[])
{
    // Lines end as the tool ends them; one write per large block keeps a long listing quick.
    _setmode(_fileno(stdout), _O_BINARY);
    static char block[1 << 16];
    std::setvbuf(stdout, block, _IOFBF, sizeof block);
    std::string query;
    std::ofstream calls("wevtutil-calls.txt", std::ios::app);
    for (int i = 1; i < argc; ++i) {
        calls << (i > 1 ? "\t" : "") << argv[i];
        if (std::string(argv[i]).rfind("/q:", 0) == 0)
            query = argv[i] + 3;
    }
    calls << std::endl;
    const std::string wantedId = between(query, "EventID = ", ")");
    const std::string cutOff = between(query, "@SystemTime>'", "'");
    std::ifstream events("wevtutil-events.txt");
    std::string line;
    int printed = 0;
    while (std::getline(events, line)) {
        std::istringstream fields(line);
        std::string first, systemTime, dateText;
        fields >> first >> systemTime;
        std::getline(fields >> std::ws, dateText);
        if (first == "exit")
            return std::atoi(systemTime.c_str());
        if (first == "hang")
            return Sleep(DWORD(1000 * std::atoi(systemTime.c_str()))), 0;
        // Both moments are UTC texts of one width: their order is the order of the texts.
        if (first != wantedId || (!cutOff.empty() && !(systemTime > cutOff)))
            continue;
        std::printf("Event[%d]:\r\n  Log Name: System\r\n  Source: EventLog\r\n  Date: %s\r\n  Event ID: %s\r\n"
                    "  Computer: tickvale-test\r\n  Description: \r\nThe Event log service was %s.\r\n\r\n",
                    printed++, dateText.c_str(), first.c_str(), first == "6005" ? "started" : "stopped");
    }
    return 0;
}
