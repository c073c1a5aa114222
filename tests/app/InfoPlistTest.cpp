#include <QFile>
#include <QRegularExpression>
#include <QXmlStreamReader>
#include <gtest/gtest.h>
#include <map>
#include <optional>

namespace plimsett {
namespace {

// One value of the top-level dictionary: its element name ("string", "true", ...) and text.
struct PlistValue {
    QString type;
    QString text;
};

// The top-level dictionary of a property list; nullopt when the file is not well-formed or not
// a dictionary of keys and plain values.
std::optional<std::map<QString, PlistValue>> readPlist(const QString& path) {
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
        return std::nullopt;
    }
    QXmlStreamReader xml(&file);
    std::map<QString, PlistValue> entries;
    QString key;
    int depth = 0;
    while (!xml.atEnd()) {
        xml.readNext();
        if (xml.isStartElement()) {
            ++depth;
            const QString name = xml.name().toString();
            if (depth == 1 && name != "plist") {
                return std::nullopt;
            }
            if (depth == 2 && name != "dict") {
                return std::nullopt;
            }
            if (depth == 3) {
                if (name == "key") {
                    key = xml.readElementText();
                    --depth;
                } else {
                    if (key.isEmpty() || entries.count(key) != 0) {
                        return std::nullopt;
                    }
                    entries[key] = {name, xml.readElementText()};
                    key.clear();
                    --depth;
                }
            }
        } else if (xml.isEndElement()) {
            --depth;
        }
    }
    if (xml.hasError() || !key.isEmpty()) {
        return std::nullopt;
    }
    return entries;
}

TEST(InfoPlistTest, TheBundleIsAnAgentWithTheBuildsIdentityAndVersion) {
    const auto plist = readPlist(QStringLiteral(PLIMSETT_INFO_PLIST));
    ASSERT_TRUE(plist.has_value()) << "not a well-formed property list: " << PLIMSETT_INFO_PLIST;
    auto value = [&](const char* key) {
        const auto it = plist->find(QString::fromLatin1(key));
        return it == plist->end() ? PlistValue{"absent", {}} : it->second;
    };
    auto expectString = [&](const char* key, const QString& expected) {
        const PlistValue v = value(key);
        EXPECT_EQ(v.type, "string") << key;
        EXPECT_EQ(v.text, expected) << key;
    };
    // No Dock icon: the program is a menu-bar agent.
    EXPECT_EQ(value("LSUIElement").type, "true");
    EXPECT_EQ(value("NSHighResolutionCapable").type, "true");
    expectString("CFBundleIdentifier", QStringLiteral(PLIMSETT_BUNDLE_ID));
    expectString("CFBundleShortVersionString", QStringLiteral(PLIMSETT_VERSION));
    expectString("CFBundleName", "Plimsett");
    expectString("CFBundleExecutable", "Plimsett");
    expectString("CFBundlePackageType", "APPL");
    // A whole number, so that every release can be told from the one before.
    EXPECT_EQ(value("CFBundleVersion").type, "string");
    EXPECT_TRUE(QRegularExpression("^[1-9][0-9]*$").match(value("CFBundleVersion").text).hasMatch())
        << value("CFBundleVersion").text.toStdString();
    // Every placeholder of the template was filled in.
    for (const auto& [key, v] : *plist) {
        EXPECT_FALSE(v.text.contains('@')) << key.toStdString();
    }
}

} // namespace
} // namespace plimsett
