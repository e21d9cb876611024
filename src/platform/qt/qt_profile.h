// The settings store on QSettings, in INI format: by default the per-user file of organisation
// "Ostrel", application "Velmora Editor" under the XDG config folder; or a file of the caller's
// choosing (tests keep their settings private that way). A section is an INI group and a value
// a key in it; names are kept exactly as given.
#pragma once

#include <QSettings>
#include <QString>
#include <memory>

#include "platform/profile.h"

namespace platform::qt {

class QtProfile final : public Profile {
public:
    // The user's store for `organization` / `application`.
    QtProfile(const QString& organization, const QString& application);
    // The INI file at `path`.
    explicit QtProfile(const QString& path);

    int32_t GetProfileInt(std::string_view section, std::string_view entry,
                          int32_t defaultValue) const override;
    std::string GetProfileString(std::string_view section, std::string_view entry,
                                 std::string_view defaultValue = {}) const override;
    bool WriteProfileInt(std::string_view section, std::string_view entry, int32_t value) override;
    bool WriteProfileString(std::string_view section, std::string_view entry,
                            std::string_view value) override;

    // Writes pending changes to the file; false when the file could not be written.
    bool Flush() override;
    QString FileName() const { return settings_->fileName(); }

private:
    std::unique_ptr<QSettings> settings_;
};

} // namespace platform::qt
