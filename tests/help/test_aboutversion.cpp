// The executable's version block: blocks built here and written into files,
// read back through the version-resource calls and TGetVersionInfoFromFile;
// and the block the build embeds in build/quindle, read from the file on disk.
#include "help/tcorvaneaboutbox.h"
#include "help/tgetversioninfofromfile.h"
#include "help/versionblock.h"
#include "help/versionresources.h"

#include <QFile>
#include <QTemporaryDir>
#include <QtTest>

using namespace versionresources;

namespace {

versionblock::Content programContent()
{
    versionblock::Content c;
    c.fileVersion = {1, 0, 0, 3};
    c.productVersion = {1, 0, 0, 0};
    c.language = 0x0809;
    c.codePage = 0x04E4;
    c.strings = {{"Comments", ""},        {"CompanyName", "Ardlow Ltd"}, {"FileDescription", ""},
                 {"FileVersion", "1.0.0.3"}, {"InternalName", "Vantorel"},  {"LegalCopyright", ""},
                 {"LegalTrademarks", ""}, {"OriginalFilename", ""},      {"ProductName", ""},
                 {"ProductVersion", "1.0.0.0"}};
    return c;
}

void removeString(versionblock::Content& c, const std::string& name)
{
    c.strings.erase(std::remove_if(c.strings.begin(), c.strings.end(),
                                   [&](const versionblock::StringValue& s) { return s.name == name; }),
                    c.strings.end());
}

QByteArray bytes(const std::vector<std::uint8_t>& v)
{
    return QByteArray(reinterpret_cast<const char*>(v.data()), qsizetype(v.size()));
}

QString quindleExecutable()
{
    return qEnvironmentVariable("QUINDLE_BUILD_DIR") + QStringLiteral("/quindle");
}

} // namespace

class TestAboutVersion : public QObject {
    Q_OBJECT

    QTemporaryDir dir_;

    // A file that looks like an executable: code around the embedded block.
    QString executableWith(const versionblock::Content& content, const QByteArray& before = QByteArray())
    {
        return writeFile(before + bytes(versionblock::embeddable(versionblock::build(content))));
    }

    QString writeFile(const QByteArray& middle)
    {
        static int count = 0;
        const QString path = dir_.filePath(QStringLiteral("program%1").arg(++count));
        QFile f(path);
        if (!f.open(QIODevice::WriteOnly))
            qFatal("cannot write test file");
        f.write(QByteArray(1000, '\x90') + middle + QByteArray(333, '\xCC'));
        return path;
    }

    struct Read {
        QStringList categories;
        QStringList strings;
    };
    static Read read(const QString& path)
    {
        TGetVersionInfoFromFile reader;
        reader.setFileName(path);
        return {reader.VersionCategories(), reader.VersionStrings()};
    }

private slots:
    void allEightCategoriesInOrderWithEmptyOnesKept()
    {
        const Read r = read(executableWith(programContent()));
        QCOMPARE(r.categories, TGetVersionInfoFromFile::categories());
        QCOMPARE(r.strings, (QStringList{"Ardlow Ltd", "", "1.0.0.3", "Vantorel", "", "", "", "1.0.0.0"}));
    }

    void queriesAnswerWithTheStoredLengths()
    {
        const QByteArray path = QFile::encodeName(executableWith(programContent()));
        std::uint32_t handle = 99;
        const std::uint32_t size = GetFileVersionInfoSizeA(path.constData(), &handle);
        QCOMPARE(handle, 0u);
        QVERIFY(size > 0);
        std::vector<char> block(size);
        QVERIFY(!GetFileVersionInfoA(path.constData(), 0, size - 1, block.data()));
        QVERIFY(GetFileVersionInfoA(path.constData(), 0, size, block.data()));

        void* value = nullptr;
        std::uint32_t length = 0;
        QVERIFY(VerQueryValueA(block.data(), "\\", &value, &length));
        QCOMPARE(length, 52u);
        std::uint32_t words[4];
        std::memcpy(words, value, sizeof words);
        QCOMPARE(words[0], versionblock::fixedInfoSignature);
        QCOMPARE(words[2], 0x00010000u);  // file version 1.0 . 0.3
        QCOMPARE(words[3], 0x00000003u);

        QVERIFY(VerQueryValueA(block.data(), "\\VarFileInfo\\Translation", &value, &length));
        QCOMPARE(length, 4u);
        const auto* t = static_cast<const unsigned char*>(value);
        QCOMPARE(t[0] | (t[1] << 8), 0x0809);
        QCOMPARE(t[2] | (t[3] << 8), 0x04E4);

        QVERIFY(VerQueryValueA(block.data(), "\\StringFileInfo\\080904E4\\FileVersion", &value, &length));
        QCOMPARE(length, 8u);
        QCOMPARE(QByteArray(static_cast<const char*>(value)), QByteArray("1.0.0.3"));
        QVERIFY(VerQueryValueA(block.data(), "\\StringFileInfo\\080904e4\\comments", &value, &length));
        QCOMPARE(length, 1u);
        QVERIFY(!VerQueryValueA(block.data(), "\\StringFileInfo\\040904B0\\FileVersion", &value, &length));
        QVERIFY(!VerQueryValueA(block.data(), "\\StringFileInfo\\080904E4\\PrivateBuild", &value, &length));
    }

    void aValueWithNoCharactersShiftsTheEntries()
    {
        versionblock::Content c = programContent();
        for (auto& s : c.strings)
            if (s.name == "FileDescription")
                s.stored = false;
        const Read r = read(executableWith(c));
        QCOMPARE(r.categories.size(), 7);
        QCOMPARE(r.categories.at(1), QStringLiteral("FileVersion"));
        QCOMPARE(r.categories.at(2), QStringLiteral("InternalName"));
        QCOMPARE(r.strings.at(2), QStringLiteral("Vantorel"));
    }

    void aFailingQueryStopsTheReading()
    {
        versionblock::Content c = programContent();
        removeString(c, "LegalCopyright");
        const Read r = read(executableWith(c));
        QCOMPARE(r.categories, TGetVersionInfoFromFile::categories().mid(0, 4));
        QCOMPARE(r.strings, (QStringList{"Ardlow Ltd", "", "1.0.0.3", "Vantorel"}));

        versionblock::Content first = programContent();
        removeString(first, "CompanyName");
        QVERIFY(read(executableWith(first)).strings.isEmpty());
    }

    void strayMarkersAndDamagedBlocksAreNotTakenForTheBlock()
    {
        const std::vector<std::uint8_t> image = versionblock::embeddable(versionblock::build(programContent()));
        // The marker followed by rubbish, as the reader's own copy of it is.
        const QByteArray stray = bytes(image).left(24) + QByteArray(64, '\0');
        QCOMPARE(read(executableWith(programContent(), stray)).strings.value(2), QStringLiteral("1.0.0.3"));

        QByteArray damaged = bytes(image);
        damaged[int(damaged.size()) - 3] ^= 0x20;  // inside the last value: the checksum no longer holds
        QVERIFY(read(writeFile(damaged)).strings.isEmpty());
        QVERIFY(read(writeFile(bytes(image).left(image.size() - 10))).strings.isEmpty());
    }

    void malformedBlocksAreQueriedSafely()
    {
        std::vector<std::uint8_t> block = versionblock::build(programContent());
        void* value = nullptr;
        std::uint32_t length = 0;
        // A child whose length runs past its parent, then one whose value does.
        const QByteArray name("StringFileInfo");
        const qsizetype node = bytes(block).indexOf(name) - 6;
        QVERIFY(node > 0);
        std::vector<std::uint8_t> longChild = block;
        longChild[std::size_t(node)] = 0xFF;
        longChild[std::size_t(node) + 1] = 0x7F;
        QVERIFY(!VerQueryValueA(longChild.data(), "\\StringFileInfo\\080904E4\\FileVersion", &value, &length));
        QVERIFY(VerQueryValueA(longChild.data(), "\\", &value, &length));

        std::vector<std::uint8_t> longValue = block;
        longValue[2] = 0xFF;  // root value length, past the end of the block
        longValue[3] = 0xFF;
        QVERIFY(!VerQueryValueA(longValue.data(), "\\", &value, &length));
        QVERIFY(!VerQueryValueA(nullptr, "\\", &value, &length));
    }

    void noBlockOrNoFileLeavesTheListsEmpty()
    {
        TGetVersionInfoFromFile reader;
        reader.setFileName(executableWith(programContent()));
        QCOMPARE(reader.VersionStrings().size(), 8);

        const QString plain = writeFile(QByteArray(4096, 'x'));
        reader.setFileName(plain);
        QCOMPARE(reader.fileName(), plain);
        QVERIFY(reader.VersionStrings().isEmpty());
        QVERIFY(reader.VersionCategories().isEmpty());

        reader.setFileName(dir_.filePath(QStringLiteral("missing")));
        QCOMPARE(reader.fileName(), QString());
        QVERIFY(reader.VersionStrings().isEmpty());
        reader.setFileName(dir_.path());
        QCOMPARE(reader.fileName(), QString());
        QCOMPARE(GetFileVersionInfoSizeA(QFile::encodeName(dir_.filePath("missing")).constData(), nullptr), 0u);
    }

    void theBuiltExecutableCarriesItsVersion()
    {
        const QString quindle = quindleExecutable();
        QVERIFY2(QFile::exists(quindle), qPrintable(quindle));
        const Read r = read(quindle);
        QCOMPARE(r.categories, TGetVersionInfoFromFile::categories());
        QCOMPARE(r.strings.at(0), QStringLiteral("Ardlow Ltd"));
        QCOMPARE(r.strings.at(2), QStringLiteral("1.0.0.3"));
        QCOMPARE(r.strings.at(3), QStringLiteral("Vantorel"));
        QCOMPARE(r.strings.at(7), QStringLiteral("1.0.0.0"));
    }

    void theRunningProgramIsReadNotFilename()
    {
        // This test program has no version block of its own, so both calls
        // fall back to Version, whatever Filename names.
        TCorvaneAboutBox box;
        box.setFilename(quindleExecutable());
        QCOMPARE(box.GetFileVersion(), QString());
        box.setVersion(QStringLiteral("unknown"));
        QCOMPARE(box.GetFileVersion(), QStringLiteral("unknown"));
        QCOMPARE(box.GetInternalName(), QStringLiteral("unknown"));
    }

    void versionTextsParse()
    {
        QCOMPARE(versionblock::parseVersion("1.0.0.3"), (std::array<std::uint16_t, 4>{1, 0, 0, 3}));
        QCOMPARE(versionblock::parseVersion("65535.2.10.0"), (std::array<std::uint16_t, 4>{65535, 2, 10, 0}));
        for (const char* bad : {"1.0.0", "1.0.0.3.4", "1..0.3", "65536.0.0.0", "1.0.0.x", ""})
            QVERIFY2(!versionblock::parseVersion(bad), bad);
    }
};

QTEST_MAIN(TestAboutVersion)
#include "test_aboutversion.moc"
