#include "app/QSettingsDefaultsDatabase.h"

#include <QStringList>

namespace plimsett {
namespace {

QString key(const std::string& k) {
    return QString::fromStdString(k);
}

} // namespace

QSettingsDefaultsDatabase::QSettingsDefaultsDatabase()
    : settings_(std::make_unique<QSettings>(QSettings::NativeFormat, QSettings::UserScope,
                                            QStringLiteral("Plimsett"),
                                            QStringLiteral("Plimsett"))) {}

QSettingsDefaultsDatabase::QSettingsDefaultsDatabase(const QString& fileName)
    : settings_(std::make_unique<QSettings>(fileName, QSettings::NativeFormat)) {}

void QSettingsDefaultsDatabase::registerDefaults(const std::map<std::string, Value>& defaults) {
    for (const auto& [k, v] : defaults) {
        registered_[k] = v;
    }
}

QVariant QSettingsDefaultsDatabase::lookup(const std::string& k) const {
    return settings_->value(key(k));
}

bool QSettingsDefaultsDatabase::boolForKey(const std::string& k) const {
    const QVariant stored = lookup(k);
    if (stored.isValid()) {
        // The INI format reads booleans back as the strings "true" and "false".
        if (stored.typeId() == QMetaType::Bool) {
            return stored.toBool();
        }
        if (stored.typeId() == QMetaType::QString) {
            const QString text = stored.toString();
            return text == QLatin1String("true") || text == QLatin1String("1");
        }
        return false;
    }
    const auto it = registered_.find(k);
    return it != registered_.end() && std::holds_alternative<bool>(it->second) &&
           std::get<bool>(it->second);
}

void QSettingsDefaultsDatabase::setBool(bool value, const std::string& k) {
    settings_->setValue(key(k), value);
    settings_->sync();
}

std::optional<DefaultsDatabase::StringArray>
QSettingsDefaultsDatabase::stringArrayForKey(const std::string& k) const {
    const QVariant stored = lookup(k);
    // The INI format writes an empty list as "@Invalid()", which reads back as an invalid variant
    // under a key that is present.
    if (!stored.isValid() && settings_->contains(key(k))) {
        return StringArray{};
    }
    if (!stored.isValid()) {
        const auto it = registered_.find(k);
        if (it != registered_.end() && std::holds_alternative<StringArray>(it->second)) {
            return std::get<StringArray>(it->second);
        }
        return std::nullopt;
    }
    if (stored.typeId() != QMetaType::QStringList && stored.typeId() != QMetaType::QVariantList) {
        return std::nullopt;
    }
    StringArray out;
    for (const QVariant& item : stored.toList()) {
        if (item.typeId() != QMetaType::QString) {
            return std::nullopt;
        }
        out.push_back(item.toString().toStdString());
    }
    return out;
}

void QSettingsDefaultsDatabase::setStringArray(const StringArray& value, const std::string& k) {
    QStringList list;
    for (const std::string& s : value) {
        list.push_back(QString::fromStdString(s));
    }
    settings_->setValue(key(k), list);
    settings_->sync();
}

} // namespace plimsett
