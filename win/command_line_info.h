// The frame framework's command line: the first parameter that is not a switch names the
// file to open; a switch (a parameter that begins with '/' or '-') chooses what the program
// does with it. The framework knows these switches, letter case ignored:
//   dde                     start with an empty document and wait for the shell's DDE
//                           commands (the window shows as usual)
//   p, pt                   print the file (pt: the next three parameters name printer,
//                           driver and port)
//   Register, Regserver     register the program's file types, then end
//   Unregister, Unregserver remove that registration, then end
// Other switches are ignored here; a program's own record keeps what it needs of them.
#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace win {

class CommandLineInfo {
public:
    enum class ShellCommand {
        FileNew,
        FileOpen,
        FilePrint,
        FilePrintTo,
        FileDde,
        AppRegister,
        AppUnregister
    };

    virtual ~CommandLineInfo() = default;

    // Hands every parameter to ParseParam in order.
    void Parse(const std::vector<std::string>& args);

    // param is the switch's text without its '/' or '-' when isFlag, else the parameter.
    virtual void ParseParam(std::string_view param, bool isFlag, bool isLast);

    ShellCommand shellCommand = ShellCommand::FileNew;
    std::string fileName;
    std::string printerName;
    std::string driverName;
    std::string portName;

private:
    void ParseFlag(std::string_view flag);
    void ParseNotFlag(std::string_view param);
};

}  // namespace win
