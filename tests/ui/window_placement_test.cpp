// The placement record, its store value and its effect on a window.
#include <gtest/gtest.h>

#include <QGuiApplication>
#include <QScreen>
#include <QTest>
#include <QWidget>
#include <map>

#include "serial/settings_keys.h"
#include "serial/settings_store.h"
#include "ui/window_placement.h"

namespace {

// Keys and binary values in memory; only what the placement uses.
class FakeStore : public SettingsStore
{
public:
    using Values = std::map<std::string, std::vector<uint8_t>>;

    class Key : public SettingsKey
    {
    public:
        explicit Key(Values& values) : m_values(values) {}
        bool ValueExists(const std::string& name) override { return m_values.count(name) != 0; }
        int32_t ReadInteger(const std::string& name) override
        {
            throw SettingsError("Invalid data type for '" + name + "'");
        }
        void WriteInteger(const std::string&, int32_t) override {}
        std::optional<std::vector<uint8_t>> ReadBinary(const std::string& name) override
        {
            const auto it = m_values.find(name);
            if (it == m_values.end())
                return std::nullopt;
            return it->second;
        }
        void WriteBinary(const std::string& name, const std::vector<uint8_t>& value) override
        {
            m_values[name] = value;
        }
        std::optional<std::string> ReadText(const std::string&) override { return std::nullopt; }
        void WriteText(const std::string&, const std::string&) override {}
        void DeleteValue(const std::string& name) override { m_values.erase(name); }

    private:
        Values& m_values;
    };

    std::string Location() const override { return "memory"; }
    std::unique_ptr<SettingsKey> OpenKey(const std::string& path, bool create) override
    {
        ++opens;
        lastCreate = create;
        if (broken)
            return nullptr;
        if (!create && keys.count(path) == 0)
            return nullptr;
        return std::make_unique<Key>(keys[path]);
    }

    std::map<std::string, Values> keys;
    bool broken = false;
    int opens = 0;
    bool lastCreate = false;
};

const std::string kKey = "SOFTWARE\\orvane\\UI";

WindowPlacement SamplePlacement()
{
    WindowPlacement p;
    p.flags = 2;
    p.showCmd = WindowPlacement::kShowNormal;
    p.minX = -32000;
    p.minY = 7;
    p.maxX = 0x12345678;
    p.maxY = -1;
    p.left = 40;
    p.top = 50;
    p.right = 440;
    p.bottom = 350;
    return p;
}

TEST(WindowPlacementRecord, PacksElevenLittleEndianIntegers)
{
    const std::vector<uint8_t> bytes = PackWindowPlacement(SamplePlacement());
    ASSERT_EQ(bytes.size(), 44u);
    EXPECT_EQ(bytes[0], 44);
    EXPECT_EQ(bytes[1], 0);
    EXPECT_EQ(bytes[8], 1);  // show state
    // maxX = 0x12345678 at offset 20, low byte first.
    EXPECT_EQ(bytes[20], 0x78);
    EXPECT_EQ(bytes[23], 0x12);
    // minX = -32000 = 0xFFFF8300.
    EXPECT_EQ(bytes[12], 0x00);
    EXPECT_EQ(bytes[13], 0x83);
    EXPECT_EQ(bytes[15], 0xFF);
    const std::optional<WindowPlacement> back = UnpackWindowPlacement(bytes);
    ASSERT_TRUE(back);
    EXPECT_EQ(*back, SamplePlacement());
}

TEST(WindowPlacementRecord, UnpackRefusesOtherSizes)
{
    for (size_t size : {0u, 4u, 43u, 45u, 88u}) {
        SCOPED_TRACE(size);
        EXPECT_FALSE(UnpackWindowPlacement(std::vector<uint8_t>(size, 0)));
    }
}

TEST(ExeBaseNameTest, NameBeforeTheLastExtension)
{
    const struct
    {
        const char* path;
        const char* base;
    } cases[] = {
        {"prog.test.exe", "prog.test"},
        {"orvane", "orvane"},
        {"/usr/bin/orvane", "orvane"},
        {"/opt/my.dir/orvane", "orvane"},
        {"/opt/orvane.bin", "orvane"},
        {"C:\\Tools\\prog.test.exe", "prog.test"},
        {"/home/op/.orvane", ".orvane"},
        {"/home/op/.orvane.x", ".orvane"},
        {"prog.", "prog"},
        {"", ""},
        {"/usr/bin/", ""},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.path);
        EXPECT_EQ(ExeBaseName(QString::fromLatin1(c.path)), QString::fromLatin1(c.base));
    }
    EXPECT_EQ(settings_keys::WindowPlacementKey("prog.test"), "SOFTWARE\\prog.test\\UI");
}

class WindowPlacementStoreTest : public ::testing::Test
{
protected:
    QRect screenArea() const { return QGuiApplication::primaryScreen()->availableGeometry(); }

    FakeStore m_store;
    QWidget m_window;
};

TEST_F(WindowPlacementStoreTest, SavedNormalWindowComesBackWhereItWas)
{
    const QRect area = screenArea();
    const QRect where(area.left() + 30, area.top() + 40, 300, 200);
    m_window.setGeometry(where);
    m_window.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&m_window));
    SaveWindowPlacement(m_store, QStringLiteral("orvane"), m_window);
    EXPECT_TRUE(m_store.lastCreate);
    ASSERT_EQ(m_store.keys[kKey]["WindowPlacement"].size(), 44u);

    QWidget next;
    RestoreWindowPlacement(m_store, QStringLiteral("orvane"), next);
    EXPECT_FALSE(m_store.lastCreate);
    EXPECT_EQ(next.geometry(), where);
    EXPECT_FALSE(next.isMinimized());
}

TEST_F(WindowPlacementStoreTest, SavedMinimisedOpensNormal)
{
    const QRect area = screenArea();
    const QRect where(area.left() + 10, area.top() + 20, 320, 240);
    m_window.setGeometry(where);
    m_window.showMinimized();
    SaveWindowPlacement(m_store, QStringLiteral("orvane"), m_window);
    const std::optional<WindowPlacement> saved =
        UnpackWindowPlacement(m_store.keys[kKey]["WindowPlacement"]);
    ASSERT_TRUE(saved);
    EXPECT_EQ(saved->showCmd, WindowPlacement::kShowMinimized);
    EXPECT_EQ(saved->right - saved->left, 320);
    EXPECT_EQ(saved->bottom - saved->top, 240);

    QWidget next;
    RestoreWindowPlacement(m_store, QStringLiteral("orvane"), next);
    next.show();
    EXPECT_FALSE(next.isMinimized());
    EXPECT_FALSE(next.windowState() & Qt::WindowMinimized);
    EXPECT_EQ(next.geometry(), where);
}

TEST_F(WindowPlacementStoreTest, MaximisedStateIsRestored)
{
    WindowPlacement p = SamplePlacement();
    p.showCmd = WindowPlacement::kShowMaximized;
    m_store.keys[kKey]["WindowPlacement"] = PackWindowPlacement(p);
    RestoreWindowPlacement(m_store, QStringLiteral("orvane"), m_window);
    EXPECT_TRUE(m_window.windowState() & Qt::WindowMaximized);
}

TEST_F(WindowPlacementStoreTest, ValuesOfAnotherSizeAreIgnored)
{
    for (size_t size : {43u, 45u}) {
        SCOPED_TRACE(size);
        std::vector<uint8_t> bytes = PackWindowPlacement(SamplePlacement());
        bytes.resize(size, 0);
        m_store.keys[kKey]["WindowPlacement"] = bytes;
        QWidget window;
        window.setGeometry(5, 6, 123, 45);
        RestoreWindowPlacement(m_store, QStringLiteral("orvane"), window);
        EXPECT_EQ(window.geometry(), QRect(5, 6, 123, 45));
    }
}

TEST_F(WindowPlacementStoreTest, MissingKeyOrValueOrStoreChangesNothing)
{
    m_window.setGeometry(5, 6, 123, 45);
    RestoreWindowPlacement(m_store, QStringLiteral("orvane"), m_window);  // no key
    m_store.keys[kKey];                                                    // key, no value
    RestoreWindowPlacement(m_store, QStringLiteral("orvane"), m_window);
    m_store.broken = true;
    RestoreWindowPlacement(m_store, QStringLiteral("orvane"), m_window);
    SaveWindowPlacement(m_store, QStringLiteral("orvane"), m_window);
    EXPECT_EQ(m_window.geometry(), QRect(5, 6, 123, 45));
    EXPECT_EQ(m_store.opens, 4);
    EXPECT_TRUE(m_store.keys[kKey].empty());
}

TEST_F(WindowPlacementStoreTest, EmptyBaseNameTouchesNoKey)
{
    SaveWindowPlacement(m_store, QString(), m_window);
    RestoreWindowPlacement(m_store, QString(), m_window);
    EXPECT_EQ(m_store.opens, 0);
}

TEST_F(WindowPlacementStoreTest, DamagedRectanglesOpenCentred)
{
    const QRect area = screenArea();
    struct
    {
        const char* name;
        int32_t left, top, right, bottom;
        QSize size;  // expected size
    } cases[] = {
        {"off every screen", 50000, 50000, 50300, 50200, QSize(300, 200)},
        {"far negative", -40000, -40000, -39700, -39800, QSize(300, 200)},
        {"no area", 100, 100, 100, 50, QSize(123, 45)},
        {"overflowing", INT32_MIN, INT32_MIN, INT32_MAX, INT32_MAX, QSize(123, 45)},
        {"edge beyond int", INT32_MAX - 10, 0, INT32_MAX, 100, QSize(10, 100)},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        WindowPlacement p;
        p.left = c.left;
        p.top = c.top;
        p.right = c.right;
        p.bottom = c.bottom;
        QWidget window;
        window.resize(123, 45);
        ApplyWindowPlacement(p, window);
        EXPECT_EQ(window.size(), c.size);
        QRect centred(QPoint(0, 0), c.size);
        centred.moveCenter(area.center());
        EXPECT_EQ(window.geometry(), centred);
    }
}

TEST_F(WindowPlacementStoreTest, PartlyVisibleRectangleIsKept)
{
    const QRect area = screenArea();
    WindowPlacement p;
    p.left = area.right() - 100;  // 101 pixels of it on the screen
    p.top = area.top() + 10;
    p.right = p.left + 400;
    p.bottom = p.top + 300;
    ApplyWindowPlacement(p, m_window);
    EXPECT_EQ(m_window.geometry(), QRect(p.left, p.top, 400, 300));
}

TEST_F(WindowPlacementStoreTest, HideOrUnknownShowStatesOpenNormal)
{
    for (int32_t showCmd : {0, 2, 6, -1, 1000}) {
        SCOPED_TRACE(showCmd);
        WindowPlacement p = SamplePlacement();
        p.showCmd = showCmd;
        QWidget window;
        ApplyWindowPlacement(p, window);
        window.show();
        EXPECT_TRUE(window.isVisible());
        EXPECT_EQ(window.windowState() & (Qt::WindowMinimized | Qt::WindowMaximized), Qt::WindowStates{});
    }
}

} // namespace
