#include "tests/e2e/driver/commands_win.h"

#include <sstream>

namespace {

std::vector<std::string> SplitBlanks(const char* text) {
    std::istringstream stream(text);
    std::vector<std::string> words;
    for (std::string word; stream >> word;)
        words.push_back(word);
    return words;
}

const Command* FindCommand(const std::string& name) {
    for (const Command& command : AllCommands()) {
        if (name == command.name)
            return &command;
    }
    return nullptr;
}

JsonValue Help(Session&, const Arguments&) {
    JsonValue list = JsonValue::MakeArray();
    for (const Command& command : AllCommands())
        list.Append(command.usage);
    JsonValue reply = JsonValue::MakeObject();
    reply.Set("commands", list);
    return reply;
}

}  // namespace

const std::vector<Command>& AllCommands() {
    static const std::vector<Command> commands = [] {
        std::vector<Command> all;
        all.push_back({"help", 0, 0, "", false, "help", Help});
        AddSessionCommands(all);
        AddControlCommands(all);
        AddInputCommands(all);
        AddTabAndIpCommands(all);
        AddDialogCommands(all);
        AddWaitCommands(all);
        AddProcessCommands(all);
        return all;
    }();
    return commands;
}

DWORD TimeoutOption(const Arguments& arguments, DWORD fallback, const char* key) {
    auto value = arguments.IntOption(key, fallback);
    if (!value || *value < 0 || *value > 600000) {
        throw DriverError(std::string("option ") + key + " must be milliseconds from 0 to 600000");
    }
    return static_cast<DWORD>(*value);
}

int IntArgument(const Arguments& arguments, size_t index, const char* what) {
    auto value = ParseInteger(arguments.At(index));
    if (!value)
        throw DriverError(std::string(what) + " must be an integer, not '" + arguments.At(index) + "'");
    return static_cast<int>(*value);
}

bool FlagOption(const Arguments& arguments, const char* key, bool fallback) {
    std::string value = arguments.Option(key, fallback ? "1" : "0");
    if (value == "1" || value == "true" || value == "yes")
        return true;
    if (value == "0" || value == "false" || value == "no")
        return false;
    throw DriverError(std::string("option ") + key + " must be 1 or 0");
}

std::string RunRequest(Session& session, const std::vector<std::string>& words, bool& quit) {
    JsonValue reply = JsonValue::MakeObject();
    reply.Set("ok", false);
    reply.Set("cmd", words.empty() ? std::string() : words[0]);
    const DWORD start = Now();
    try {
        if (words.empty())
            throw DriverError("empty request");
        if (words[0] == "quit" || words[0] == "exit") {
            quit = true;
            reply.Set("ok", true);
            return reply.Serialize();
        }
        const Command* command = FindCommand(words[0]);
        if (command == nullptr)
            throw DriverError("unknown command '" + words[0] + "' (try help)");
        Arguments arguments = Arguments::Split(words, command->required);
        if (arguments.Count() < command->required || arguments.Count() > command->maxPositional) {
            throw DriverError("usage: " + std::string(command->usage));
        }
        const std::vector<std::string> allowed = SplitBlanks(command->options);
        for (const std::string& option : arguments.OptionNames()) {
            bool known = false;
            for (const std::string& name : allowed)
                known = known || name == option;
            if (!known)
                throw DriverError("unknown option '" + option + "'; usage: " + command->usage);
        }
        if (command->needsTarget && !session.Attached()) {
            TargetSelector selector;
            selector.windowClass = kDefaultClass;
            (void)session.Attach(selector, kDefaultTimeoutMs);
        }
        JsonValue result = command->run(session, arguments);
        reply.Set("ok", true);
        if (result.IsObject()) {
            JsonValue merged = JsonValue::MakeObject();
            merged.Set("ok", true);
            merged.Set("cmd", words[0]);
            for (const auto& member : result.Members())
                merged.Set(member.first, member.second);
            reply = merged;
        }
    } catch (const DriverError& error) {
        reply.Set("error", error.what());
    } catch (const std::exception& error) {
        reply.Set("error", std::string("internal error: ") + error.what());
    }
    reply.Set("ms", static_cast<unsigned long>(Now() - start));
    return reply.Serialize();
}
