#include "win/command_line_info.h"

#include "base/ansi_text.h"

namespace win {

void CommandLineInfo::Parse(const std::vector<std::string>& args) {
    for (std::size_t i = 0; i < args.size(); ++i) {
        const std::string_view arg = args[i];
        const bool isFlag = !arg.empty() && (arg.front() == '/' || arg.front() == '-');
        ParseParam(isFlag ? arg.substr(1) : arg, isFlag, i + 1 == args.size());
    }
}

void CommandLineInfo::ParseParam(std::string_view param, bool isFlag, bool) {
    if (isFlag)
        ParseFlag(param);
    else
        ParseNotFlag(param);
}

void CommandLineInfo::ParseFlag(std::string_view flag) {
    using base::EqualsNoCase;
    if (EqualsNoCase(flag, "dde"))
        shellCommand = ShellCommand::FileDde;
    else if (EqualsNoCase(flag, "p"))
        shellCommand = ShellCommand::FilePrint;
    else if (EqualsNoCase(flag, "pt"))
        shellCommand = ShellCommand::FilePrintTo;
    else if (EqualsNoCase(flag, "Register") || EqualsNoCase(flag, "Regserver"))
        shellCommand = ShellCommand::AppRegister;
    else if (EqualsNoCase(flag, "Unregister") || EqualsNoCase(flag, "Unregserver"))
        shellCommand = ShellCommand::AppUnregister;
}

void CommandLineInfo::ParseNotFlag(std::string_view param) {
    // An empty parameter ("") names nothing.
    if (param.empty()) return;
    if (fileName.empty()) {
        fileName = param;
        if (shellCommand == ShellCommand::FileNew) shellCommand = ShellCommand::FileOpen;
    } else if (shellCommand == ShellCommand::FilePrintTo) {
        if (printerName.empty())
            printerName = param;
        else if (driverName.empty())
            driverName = param;
        else if (portName.empty())
            portName = param;
    }
}

}  // namespace win
