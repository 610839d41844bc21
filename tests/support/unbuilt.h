#pragma once
// Reaching a command whose handler is still to come fails the running test,
// unless the test says it expects that.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "platform/ui/response.h"

namespace testsupport {

struct UnbuiltCall {
    int id;
    std::string name;
};

struct UnbuiltRecord {
    std::vector<UnbuiltCall> calls;
    int expecting = 0;
};

inline UnbuiltRecord& Unbuilt() {
    static UnbuiltRecord record;
    return record;
}

// Installed before every test by the test main.
inline void InstallUnbuiltCommandCheck() {
    Unbuilt() = {};
    platform::ui::SetUnbuiltCommandReporter([](int id, std::string_view name) {
        Unbuilt().calls.push_back({id, std::string(name)});
        if (Unbuilt().expecting == 0) ADD_FAILURE() << "command " << id << " (" << name << ") is not built";
    });
}

// While one lives, unbuilt commands are recorded, not failures.
class ExpectUnbuiltCommands {
public:
    ExpectUnbuiltCommands() { ++Unbuilt().expecting; }
    ~ExpectUnbuiltCommands() { --Unbuilt().expecting; }
    ExpectUnbuiltCommands(const ExpectUnbuiltCommands&) = delete;
    ExpectUnbuiltCommands& operator=(const ExpectUnbuiltCommands&) = delete;
};

}  // namespace testsupport
