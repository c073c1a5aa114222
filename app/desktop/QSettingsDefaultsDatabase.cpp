#include "app/desktop/QSettingsDefaultsDatabase.h"

#include <algorithm>

namespace plimsett {
namespace {

QString key(const std::string& k) {
    return QString::fromStdString(k);
}

// String arrays are kept as QSettings arrays (key/size, key/1/value, ...). The native format on
// Linux writes a one-element list exactly like a plain string, which would read back as a string
// and lose the list; an array keeps every length, the empty one included, unambiguous.
QString arraySizeKey(const std::string& k) {
    return key(k) + QStringLiteral("/size");
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
    if (settings_->contains(arraySizeKey(k))) {
        return false;
    }
    const auto it = registered_.find(k);
    return it != registered_.end() && std::holds_alternative<bool>(it->second) &&
           std::get<bool>(it->second);
}

void QSettingsDefaultsDatabase::setBool(bool value, const std::string& k) {
    settings_->remove(key(k));
    settings_->setValue(key(k), value);
    settings_->sync();
}

std::optional<DefaultsDatabase::StringArray>
QSettingsDefaultsDatabase::stringArrayForKey(const std::string& k) const {
    if (!settings_->contains(arraySizeKey(k))) {
        if (settings_->contains(key(k))) {
            return std::nullopt; // a plain value of another type
        }
        const auto it = registered_.find(k);
        if (it != registered_.end() && std::holds_alternative<StringArray>(it->second)) {
            return std::get<StringArray>(it->second);
        }
        return std::nullopt;
    }
    bool isNumber = false;
    const int size = settings_->value(arraySizeKey(k)).toInt(&isNumber);
    if (!isNumber || size < 0) {
        return std::nullopt;
    }
    StringArray out;
    out.reserve(static_cast<std::size_t>(std::min(size, 4096)));
    settings_->beginReadArray(key(k));
    for (int i = 0; i < size; ++i) {
        settings_->setArrayIndex(i);
        const QVariant item = settings_->value(QStringLiteral("value"));
        if (item.typeId() != QMetaType::QString) {
            settings_->endArray();
            return std::nullopt;
        }
        out.push_back(item.toString().toStdString());
    }
    settings_->endArray();
    return out;
}

void QSettingsDefaultsDatabase::setStringArray(const StringArray& value, const std::string& k) {
    settings_->remove(key(k));
    settings_->beginWriteArray(key(k), static_cast<int>(value.size()));
    for (std::size_t i = 0; i < value.size(); ++i) {
        settings_->setArrayIndex(static_cast<int>(i));
        settings_->setValue(QStringLiteral("value"), QString::fromStdString(value[i]));
    }
    settings_->endArray();
    settings_->sync();
}

} // namespace plimsett
