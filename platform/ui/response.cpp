#include "platform/ui/response.h"

#include <cstdio>
#include <map>
#include <set>
#include <string>

namespace platform::ui {

MessageId RegisterMessage(std::string_view name) {
    static std::map<std::string, MessageId, std::less<>> names;
    auto it = names.find(name);
    if (it != names.end()) return it->second;
    const MessageId id = kFirstRegisteredMessage + static_cast<MessageId>(names.size());
    names.emplace(std::string(name), id);
    return id;
}

const ResponseTable::Entry* ResponseTable::Find(Kind kind, int id, NotifyCode code) const {
    for (const ResponseTable* t = this; t; t = t->base_) {
        for (const Entry& e : t->entries_) {
            if (e.kind == kind && id >= e.first && id <= e.last && (kind != Kind::Notify || e.code == code)) return &e;
        }
    }
    return nullptr;
}

const ResponseTable& CommandTarget::Table() {
    static const ResponseTable empty(nullptr, {});
    return empty;
}

bool CommandTarget::RunCommand(int id) {
    const auto* e = responseTable().Find(ResponseTable::Kind::Command, id);
    if (!e) return false;
    ResponseTable::Call call{id};
    e->run(*this, call);
    return true;
}

bool CommandTarget::RunEnabler(CommandEnabler& ce) {
    const auto* command = responseTable().Find(ResponseTable::Kind::Command, ce.id());
    const auto* e = responseTable().Find(ResponseTable::Kind::Enabler, ce.id());
    if (e) {
        ResponseTable::Call call{ce.id()};
        call.enabler = &ce;
        e->run(*this, call);
    }
    return e || command;
}

std::optional<Result> CommandTarget::RunMessage(MessageId id, WParam w, LParam l) {
    const auto* e = responseTable().Find(ResponseTable::Kind::Message, static_cast<int>(id));
    if (!e) return std::nullopt;
    ResponseTable::Call call{static_cast<int>(id), w, l};
    return e->run(*this, call);
}

bool CommandTarget::RunNotify(Notification& n) {
    const auto* e = responseTable().Find(ResponseTable::Kind::Notify, n.id, n.code);
    if (!e) return false;
    ResponseTable::Call call{n.id};
    call.notification = &n;
    e->run(*this, call);
    return true;
}

bool CommandTarget::RunTimer(int id) {
    const auto* e = responseTable().Find(ResponseTable::Kind::Timer, id);
    if (!e) return false;
    ResponseTable::Call call{id};
    e->run(*this, call);
    return true;
}

}  // namespace platform::ui
