#include "win/command_map.h"

namespace win {

void CommandMap::On(unsigned id, std::function<void()> handler) {
    handlers_.push_back({id, id, [h = std::move(handler)](unsigned) { h(); }});
}

void CommandMap::OnRange(unsigned first, unsigned last, Handler handler) {
    handlers_.push_back({first, last, std::move(handler)});
}

void CommandMap::OnUpdate(unsigned id, std::function<CommandState()> rule) {
    rules_.push_back({id, id, [r = std::move(rule)](unsigned) { return r(); }});
}

void CommandMap::OnUpdateRange(unsigned first, unsigned last, Rule rule) {
    rules_.push_back({first, last, std::move(rule)});
}

const CommandMap::Handler* CommandMap::FindHandler(unsigned id) const {
    for (const auto& e : handlers_)
        if (e.first <= id && id <= e.last) return &e.what;
    return nullptr;
}

const CommandMap::Rule* CommandMap::FindRule(unsigned id) const {
    for (const auto& e : rules_)
        if (e.first <= id && id <= e.last) return &e.what;
    return nullptr;
}

CommandState QueryCommand(CommandChain chain, unsigned id) {
    for (const CommandMap* map : chain)
        if (map)
            if (const CommandMap::Rule* rule = map->FindRule(id)) return (*rule)(id);
    for (const CommandMap* map : chain)
        if (map && map->FindHandler(id)) return CommandState{true, false};
    return CommandState{false, false};
}

bool ExecuteCommand(CommandChain chain, unsigned id) {
    if (!QueryCommand(chain, id).enabled) return false;
    for (const CommandMap* map : chain) {
        if (!map) continue;
        if (const CommandMap::Handler* handler = map->FindHandler(id)) {
            // A copy: the handler may change the maps it lives in (a view replaced, say).
            const CommandMap::Handler run = *handler;
            run(id);
            return true;
        }
    }
    return false;
}

}  // namespace win
