#pragma once
// The program's version information, generated from the build's project version.
#include <optional>
#include <string>
#include <string_view>

class ProjectRCVersion {
public:
    ProjectRCVersion();
    // The value of a string entry ("ProductName", "ProductVersion",
    // "FileVersion", "LegalCopyright", ...); nullopt when there is none.
    std::optional<std::string> Query(std::string_view key) const;
    std::optional<std::string> QueryProductName() const { return Query("ProductName"); }
    std::optional<std::string> QueryProductVersion() const { return Query("ProductVersion"); }
    std::optional<std::string> QueryLegalNotice() const { return Query("LegalCopyright"); }
    std::optional<std::string> QuerySpecialBuild() const { return Query("SpecialBuild"); }
    bool IsOK() const { return ok_; }

private:
    bool ok_ = false;
};
