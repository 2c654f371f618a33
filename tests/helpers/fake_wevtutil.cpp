// A stand-in for wevtutil that reads no event log: "wevtutil qe system /f:text /q:QUERY" prints
// the events of the working directory's wevtutil-events.txt whose id the query names and, when
// the query has "@SystemTime>'T'", whose moment is later than T, in the tool's text layout,
// oldest first. Every run appends its arguments, tab-separated, to wevtutil-calls.txt.
//
// wevtutil-events.txt, one line each:
//   ID SYSTEMTIME DATETEXT   an event: id, UTC moment as the query compares it, printed date
//   exit CODE                print nothing and end with this status
//   hang SECONDS             print nothing and wait this long first
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <fcntl.h>
#include <fstream>
#include <io.h>
#include <sstream>
#include <string>
#include <thread>

namespace {

void recordCall(int argc, char *argv[])
{
    std::ofstream calls("wevtutil-calls.txt", std::ios::app);
    for (int i = 1; i < argc; ++i)
        calls << (i > 1 ? "\t" : "") << argv[i];
    calls << '\n';
}

std::string queryOf(int argc, char *argv[])
{
    for (int i = 1; i < argc; ++i) {
        const std::string argument = argv[i];
        if (argument.rfind("/q:", 0) == 0)
            return argument.substr(3);
    }
    return std::string();
}

// The text between a marker and the next occurrence of the closing text; empty when absent.
std::string between(const std::string &text, const std::string &marker, const std::string &closing)
{
    const std::size_t start = text.find(marker);
    if (start == std::string::npos)
        return std::string();
    const std::size_t from = start + marker.size();
    return text.substr(from, text.find_first_of(closing, from) - from);
}

void printEvent(int index, const std::string &id, const std::string &dateText)
{
    const bool starting = id == "6005";
    std::printf("Event[%d]:\r\n"
                "  Log Name: System\r\n"
                "  Source: EventLog\r\n"
                "  Date: %s\r\n"
                "  Event ID: %s\r\n"
                "  Task: N/A\r\n"
                "  Level: Information\r\n"
                "  Opcode: N/A\r\n"
                "  Keyword: Classic\r\n"
                "  User: N/A\r\n"
                "  User Name: N/A\r\n"
                "  Computer: tickvale-test\r\n"
                "  Description: \r\n"
                "%s\r\n\r\n",
                index, dateText.c_str(), id.c_str(),
                starting ? "The Event log service was started." : "The Event log service was stopped.");
}

} // namespace

int main(int argc, char *argv[])
{
    recordCall(argc, argv);
    // Lines end as the tool ends them; one write per large block keeps a long listing quick.
    _setmode(_fileno(stdout), _O_BINARY);
    static char block[1 << 16];
    std::setvbuf(stdout, block, _IOFBF, sizeof block);
    const std::string query = queryOf(argc, argv);
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
        if (first == "hang") {
            std::this_thread::sleep_for(std::chrono::seconds(std::atoi(systemTime.c_str())));
            return 0;
        }
        // Both moments are UTC texts of one width: their order is the order of the texts.
        if (first != wantedId || (!cutOff.empty() && !(systemTime > cutOff)))
            continue;
        printEvent(printed++, first, dateText);
    }
    return 0;
}
