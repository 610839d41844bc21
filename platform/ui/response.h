#pragma once
// Response tables: per class, a static table that maps command ids, command
// enablers, timers, control notifications and messages to member functions,
// chained to the base class's table. Each entry is made from a member pointer
// of exactly the handler's signature, so a wrong handler does not compile.
//
//   class Pane : public platform::ui::Window {
//   public:
//       KESTRUNE_RESPONSE_TABLE(Pane);      // in a public section
//       void CmZoom();  void CmSpeed(int id);  void CeZoom(platform::ui::CommandEnabler&);
//   };
//   const platform::ui::ResponseTable& Pane::Table() {
//       using R = platform::ui::ResponseTableOf<Pane, platform::ui::Window>;
//       static const platform::ui::ResponseTable table = R::Build({
//           R::Command(149, &Pane::CmZoom),
//           R::CommandRange(300, 324, &Pane::CmSpeed),
//           R::Enabler(149, &Pane::CeZoom),
//       });
//       return table;
//   }
#include <cstdint>
#include <functional>
#include <initializer_list>
#include <optional>
#include <string>
#include <string_view>
#include <type_traits>
#include <vector>

namespace platform::ui {

using MessageId = std::uint32_t;
using WParam = std::uint64_t;
using LParam = std::int64_t;
using Result = std::int64_t;

// Ids of messages registered by name start here; the same name gives the same id.
inline constexpr MessageId kFirstRegisteredMessage = 0xC000;
MessageId RegisterMessage(std::string_view name);

// What a menu item or button should look like for a command, computed apart
// from running it.
class CommandEnabler {
public:
    explicit CommandEnabler(int id) : id_(id) {}
    int id() const { return id_; }
    void Enable(bool on = true) { enabled_ = on; }
    void SetCheck(bool on) { checked_ = on; }
    void SetText(std::string text) { text_ = std::move(text); }

    bool enabled() const { return enabled_; }
    const std::optional<bool>& checked() const { return checked_; }
    const std::optional<std::string>& text() const { return text_; }

private:
    int id_;
    bool enabled_ = true;
    std::optional<bool> checked_;
    std::optional<std::string> text_;
};

enum class NotifyCode { DoubleClicked, SelectionChanged, TextChanged, Scrolled, Spin, DateChanged };

// A control's report to its parent. A Spin handler may set refuse to keep the
// up-down from moving by itself.
struct Notification {
    int id = 0;
    NotifyCode code = NotifyCode::SelectionChanged;
    int delta = 0;
    bool refuse = false;
};

class CommandTarget;

class ResponseTable {
public:
    enum class Kind { Command, Enabler, Timer, Message, Notify };
    struct Call {
        int id = 0;
        WParam wparam = 0;
        LParam lparam = 0;
        CommandEnabler* enabler = nullptr;
        Notification* notification = nullptr;
    };
    struct Entry {
        Kind kind;
        int first;
        int last;
        NotifyCode code;
        std::function<Result(CommandTarget&, Call&)> run;
        const char* name;  // the handler's name, for logs and tests; may be null
    };

    ResponseTable(const ResponseTable* base, std::vector<Entry> entries) : base_(base), entries_(std::move(entries)) {}
    ResponseTable(const ResponseTable&) = delete;
    ResponseTable& operator=(const ResponseTable&) = delete;

    // The first matching entry of this table, then of its bases.
    const Entry* Find(Kind kind, int id, NotifyCode code = NotifyCode::SelectionChanged) const;
    const ResponseTable* base() const { return base_; }
    // This table's own entries, without its bases'.
    const std::vector<Entry>& entries() const { return entries_; }

private:
    const ResponseTable* base_;
    std::vector<Entry> entries_;
};

// Anything that has a response table: windows and the application.
class CommandTarget {
public:
    virtual ~CommandTarget() = default;
    static const ResponseTable& Table();
    virtual const ResponseTable& responseTable() const { return Table(); }

    // The table's handler for id, if any; true when one ran.
    bool RunCommand(int id);
    // True when the table has an enabler or a handler for id (enabler filled in).
    bool RunEnabler(CommandEnabler& ce);
    std::optional<Result> RunMessage(MessageId id, WParam w, LParam l);
    bool RunNotify(Notification& n);
    bool RunTimer(int id);
};

#define KESTRUNE_RESPONSE_TABLE(Self)                   \
    static const ::platform::ui::ResponseTable& Table(); \
    const ::platform::ui::ResponseTable& responseTable() const override { return Self::Table(); }

template <class Self, class Base>
struct ResponseTableOf {
    static_assert(std::is_base_of_v<Base, Self> && std::is_base_of_v<CommandTarget, Base>,
                  "a response table chains to a base of its class");
    using Entry = ResponseTable::Entry;
    using Kind = ResponseTable::Kind;
    using Call = ResponseTable::Call;

    static Entry Command(int id, void (Self::*fn)()) {
        return {Kind::Command, id, id, {}, [fn](CommandTarget& t, Call&) -> Result { (Of(t).*fn)(); return 0; }, nullptr};
    }
    // The handler receives the command id.
    static Entry CommandRange(int first, int last, void (Self::*fn)(int)) {
        return {Kind::Command, first, last, {},
                [fn](CommandTarget& t, Call& c) -> Result { (Of(t).*fn)(c.id); return 0; }, nullptr};
    }
    static Entry Enabler(int id, void (Self::*fn)(CommandEnabler&)) { return EnablerRange(id, id, fn); }
    static Entry EnablerRange(int first, int last, void (Self::*fn)(CommandEnabler&)) {
        return {Kind::Enabler, first, last, {},
                [fn](CommandTarget& t, Call& c) -> Result { (Of(t).*fn)(*c.enabler); return 0; }, nullptr};
    }
    // Runs in place of EvTimer for this timer id.
    static Entry Timer(int id, void (Self::*fn)()) {
        return {Kind::Timer, id, id, {}, [fn](CommandTarget& t, Call&) -> Result { (Of(t).*fn)(); return 0; }, nullptr};
    }
    static Entry Message(MessageId id, Result (Self::*fn)(WParam, LParam)) {
        const int key = static_cast<int>(id);
        return {Kind::Message, key, key, {},
                [fn](CommandTarget& t, Call& c) -> Result { return (Of(t).*fn)(c.wparam, c.lparam); }, nullptr};
    }
    // A message registered by name; the name is registered here if it is new.
    static Entry Registered(std::string_view name, Result (Self::*fn)(WParam, LParam)) {
        return Message(RegisterMessage(name), fn);
    }
    static Entry Notify(int id, NotifyCode code, void (Self::*fn)(Notification&)) {
        return {Kind::Notify, id, id, code,
                [fn](CommandTarget& t, Call& c) -> Result { (Of(t).*fn)(*c.notification); return 0; }, nullptr};
    }

    // The entry with its handler's name, for logs and tests.
    static Entry Named(const char* name, Entry e) {
        e.name = name;
        return e;
    }

    static std::vector<Entry> Entries(std::initializer_list<Entry> list) { return std::vector<Entry>(list); }
    static ResponseTable Build(std::initializer_list<Entry> list) { return {&Base::Table(), Entries(list)}; }

private:
    // A table of Self is only consulted for objects of Self or a class derived from it.
    static Self& Of(CommandTarget& t) { return static_cast<Self&>(t); }
};

}  // namespace platform::ui
