#include "platform/qt/qt_profile.h"

namespace platform::qt {
namespace {

QString Key(std::string_view section, std::string_view entry) {
    return QString::fromUtf8(section.data(), static_cast<qsizetype>(section.size())) + '/' +
           QString::fromUtf8(entry.data(), static_cast<qsizetype>(entry.size()));
}

} // namespace

QtProfile::QtProfile(const QString& organization, const QString& application)
    : settings_(std::make_unique<QSettings>(QSettings::IniFormat, QSettings::UserScope,
                                            organization, application)) {}

QtProfile::QtProfile(const QString& path)
    : settings_(std::make_unique<QSettings>(path, QSettings::IniFormat)) {}

int32_t QtProfile::GetProfileInt(std::string_view section, std::string_view entry,
                                 int32_t defaultValue) const {
    const QVariant value = settings_->value(Key(section, entry));
    if (!value.isValid())
        return defaultValue;
    bool ok = false;
    const qlonglong number = value.toString().trimmed().toLongLong(&ok, 0);
    return ok ? static_cast<int32_t>(number) : defaultValue;
}

std::string QtProfile::GetProfileString(std::string_view section, std::string_view entry,
                                        std::string_view defaultValue) const {
    const QVariant value = settings_->value(Key(section, entry));
    if (!value.isValid())
        return std::string(defaultValue);
    return value.toString().toStdString();
}

bool QtProfile::WriteProfileInt(std::string_view section, std::string_view entry, int32_t value) {
    settings_->setValue(Key(section, entry), value);
    return settings_->isWritable();
}

bool QtProfile::WriteProfileString(std::string_view section, std::string_view entry,
                                   std::string_view value) {
    settings_->setValue(Key(section, entry),
                        QString::fromUtf8(value.data(), static_cast<qsizetype>(value.size())));
    return settings_->isWritable();
}

bool QtProfile::Flush() {
    settings_->sync();
    return settings_->status() == QSettings::NoError;
}

} // namespace platform::qt
