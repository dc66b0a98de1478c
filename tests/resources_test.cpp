// Moravel's string table, compiled from UTF-8 source, read back in the ANSI code page 936.
#include <windows.h>

#include <gtest/gtest.h>

#include <string>

#include "viewer/resource.h"

namespace {

std::string LoadAnsi(UINT id) {
    char buffer[512] = {};
    const int n = LoadStringA(GetModuleHandleA(nullptr), id, buffer, sizeof(buffer));
    return std::string(buffer, n > 0 ? n : 0);
}

// The expected text in the active ANSI code page, converted by the system from UTF-8.
std::string Ansi(const char* utf8) {
    wchar_t wide[256] = {};
    const int wn = MultiByteToWideChar(CP_UTF8, 0, utf8, -1, wide, 256);
    char ansi[512] = {};
    const int an = WideCharToMultiByte(CP_ACP, 0, wide, wn, ansi, sizeof(ansi), nullptr, nullptr);
    return std::string(ansi, an > 0 ? an - 1 : 0);
}

TEST(Resources, TheProcessRunsInCodePage936) {
    EXPECT_EQ(GetACP(), 936u);
}

TEST(Resources, InternetExplorerLabelIsGbk) {
    // "Internet Explorer 缓存": 缓 = BB BA, 存 = B4 E6.
    EXPECT_EQ(LoadAnsi(IDS_SOURCE_IE), "Internet Explorer \xBB\xBA\xB4\xE6");
}

TEST(Resources, EveryViewerStringReadsBackExactly) {
    struct Entry {
        UINT id;
        const char* utf8;
    };
    const Entry entries[] = {
        {132, "所有站点"},
        {133, "独立的 SWF 文件"},
        {134, "Mozilla Firefox 缓存"},
        {135, "Internet Explorer 缓存"},
        {136, "自定义文件夹"},
        {137, "URL:"},
        {138, "修改时间:"},
        {139, "文件大小:"},
        {140, "创建时间:"},
        {142, "今天"},
        {143, "昨天"},
        {144, " 字节"},
        {145, "本月"},
        {146, "精确日期"},
        {147, "时间范围"},
        {148, "任意时刻"},
        {150, "选择包含 flash 影片的文件夹:"},
        {153, "文件:"},
        {200, "您确定吗？"},
        {201, "无法保存 flash 影片:\r\n"},
        {202, "请选择保存 flash 影片的文件夹:"},
        {203, "Flash 影片 (*.swf)|*.swf|所有文件 (*.*)|*.*|"},
    };
    for (const Entry& e : entries) EXPECT_EQ(LoadAnsi(e.id), Ansi(e.utf8)) << e.id;
    // The leading blank of the unit text survives the compiler.
    EXPECT_EQ(LoadAnsi(IDS_BYTES_UNIT).substr(0, 1), " ");
    EXPECT_EQ(LoadAnsi(141), "");
}

}  // namespace
