// The frame framework's decisions over plain values: the document template's fields, the
// open dialog's filter, window and document titles, the shell's quoting of paths, command
// prompts and tooltips, recent-file menu texts, status bar panes and the shell's DDE
// commands. Texts are ANSI in the system code page; every search steps over whole
// characters, so a trail byte '\', '[', ']' or '"' is never taken for a separator.
#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace win {

// The seven line-feed separated fields of a document template string; missing fields are
// empty and fields past the seventh are ignored.
struct DocTemplateStrings {
    std::string windowTitle;
    std::string docName;
    std::string fileNewName;
    std::string filterName;
    std::string filterExt;
    std::string fileTypeId;
    std::string fileTypeName;
};
DocTemplateStrings ParseDocTemplate(std::string_view text);

// An open dialog's filter: the template's own entry ("name", "*.ext") when it has both a
// name and an extension, then allFiles with "*.*"; entries and their parts end in a zero
// byte, and the whole ends in one more.
std::string OpenFileFilter(const DocTemplateStrings& strings, std::string_view allFiles);

// "document - window", the single-document frame's title.
std::string FrameTitle(std::string_view documentTitle, std::string_view windowTitle);

// The file name of a path: the text after its last '\' or '/' (the whole text without one).
std::string FileTitle(std::string_view path);

// A path as the shell may hand it over: a leading double quote is dropped, and everything
// from the last double quote on.
std::string StripShellQuotes(std::string_view path);

// A command's string is "prompt\ntooltip": the prompt is the text before the first line
// feed (all of it without one); the tooltip the text after it, up to a second one (empty
// without a line feed).
std::string PromptText(std::string_view commandString);
std::string TooltipText(std::string_view commandString);

// The menu text of recent file number index (0-based): "&1 " and the path shortened to at
// most maxLength bytes, with '&' doubled so that it shows as itself.
std::string RecentFileMenuText(int index, std::string_view path, std::size_t maxLength = 40);
// A path shortened by replacing whole middle folders with "...", keeping its root (drive
// or share) and as many trailing parts as fit; the file name is always kept whole.
std::string AbbreviatePath(std::string_view path, std::size_t maxLength);

// Right edges of a status bar's panes for a bar of this width. widths[i] is the fixed width
// of pane i; a width of 0 makes the pane take what the fixed ones leave (at least 0). The
// last pane reaches the right end (-1, as the status control takes it).
std::vector<int> StatusPaneEdges(int barWidth, const std::vector<int>& widths);

// The shell's dynamic data exchange commands: "[open("C:\a.swf")][print("b.swf")]". Each
// command has a name and its arguments, quoted ("...", taken as they stand) or plain (up to
// the next ',' or ')', spaces trimmed). Malformed text yields the commands before the fault.
struct DdeCommand {
    std::string name;
    std::vector<std::string> args;
    friend bool operator==(const DdeCommand&, const DdeCommand&) = default;
};
std::vector<DdeCommand> ParseDdeCommands(std::string_view text);

}  // namespace win
