// Commands as numbered identifiers, dispatched through the targets of a window in a fixed
// order (frame, active view, document, application). Each target maps identifiers to what
// they do and, where availability depends on state, to a rule that gives the state. The
// rules are plain functions over the program's values: the window asks them at menu time and
// at idle time, and the router asks them again before it carries a command out, so a
// disabled command never runs, whether it came from a menu, a button or an accelerator.
#pragma once

#include <functional>
#include <span>
#include <vector>

namespace win {

struct CommandState {
    bool enabled = true;
    bool checked = false;
    friend bool operator==(const CommandState&, const CommandState&) = default;
};

class CommandMap {
public:
    using Handler = std::function<void(unsigned id)>;
    using Rule = std::function<CommandState(unsigned id)>;

    // What id does; a later entry for the same id replaces nothing (the first one found wins).
    void On(unsigned id, std::function<void()> handler);
    void OnRange(unsigned first, unsigned last, Handler handler);
    // When id is available and checked.
    void OnUpdate(unsigned id, std::function<CommandState()> rule);
    void OnUpdateRange(unsigned first, unsigned last, Rule rule);

    // Null when this map does not handle, or rule on, id.
    const Handler* FindHandler(unsigned id) const;
    const Rule* FindRule(unsigned id) const;

private:
    template <typename T>
    struct Entry {
        unsigned first;
        unsigned last;
        T what;
    };
    std::vector<Entry<Handler>> handlers_;
    std::vector<Entry<Rule>> rules_;
};

// Maps in routing order; null entries (a frame without a view, say) are skipped.
using CommandChain = std::span<const CommandMap* const>;

// The state of id: the first map with a rule for it decides; a command that some map handles
// but none rules on is enabled and unchecked; a command that no map handles is disabled.
CommandState QueryCommand(CommandChain chain, unsigned id);

// Carries id out through the first map that handles it, if QueryCommand finds it enabled.
// True when it ran.
bool ExecuteCommand(CommandChain chain, unsigned id);

}  // namespace win

namespace win {

// Something commands are routed through: an application, a document, a view or a frame.
class CommandTarget {
public:
    virtual ~CommandTarget() = default;
    CommandMap& Commands() { return commands_; }
    const CommandMap& Commands() const { return commands_; }

private:
    CommandMap commands_;
};

}  // namespace win
