#include <gtest/gtest.h>

#include "ops/extract_destination.h"

namespace {

std::string Where(std::string_view name) {
    const auto destination = FindExtractDestination(name);
    if (!destination) {
        return "stays";
    }
    return std::string(destination->folder) + "/" + destination->fileName +
           (destination->asksFirst ? " ?" : "");
}

TEST(ExtractDestination, TheWholeRemainderFromTheLastDotDecides) {
    EXPECT_EQ(Where("Face.unr"), "MAPS/Face.unr");
    EXPECT_EQ(Where("FACE.UNR"), "MAPS/FACE.UNR");
    EXPECT_EQ(Where("Rock.uTx"), "TEXTURES/Rock.uTx");
    EXPECT_EQ(Where("Song.UMX"), "MUSIC/Song.UMX");
    EXPECT_EQ(Where("Boom.uax"), "SOUNDS/Boom.uax");
    EXPECT_EQ(Where("Pack.u"), "SYSTEM/Pack.u ?");
    EXPECT_EQ(Where("Pack.U"), "SYSTEM/Pack.U ?");
    EXPECT_EQ(Where("Pack.Int"), "SYSTEM/Pack.Int");
    EXPECT_EQ(Where("Deck16"), "MAPS/Deck16.unr");
    EXPECT_EQ(Where(""), "MAPS/.unr");
    EXPECT_EQ(Where(".unr"), "MAPS/.unr");
    EXPECT_EQ(Where("sub\\Face"), "MAPS/sub\\Face.unr");
    for (const char* stays :
         {"notes.txt", "Pack.U2", "Map.unr.bak", "Key.uxx", "name.", "a.unrx", "x.ü"}) {
        EXPECT_EQ(Where(stays), "stays") << stays;
    }
}

TEST(ExtractDestination, NamesMustStayInTheirFolder) {
    for (const char* safe :
         {"Face.unr", "sub\\Face.unr", "sub/Face.unr", ".unr", "a..b.unr", "..unr", "x.\\y.unr",
          "./Face.unr", "deep\\er\\Face.unr", "Face .unr"}) {
        EXPECT_TRUE(NameStaysInFolder(safe)) << safe;
    }
    for (const char* hostile :
         {"..\\..\\evil.int", "../x.unr", "..", "/abs.unr", "\\abs.unr", "C:x.unr", "C:\\x.unr",
          "x.unr:ads", "a\\..\\b.unr", "a/../b.unr", "a\\...\\b.unr", "a\\. .\\b.unr", "..\\"}) {
        EXPECT_FALSE(NameStaysInFolder(hostile)) << hostile;
    }
    EXPECT_FALSE(NameStaysInFolder(std::string_view("a\0/../b.unr", 11)));
}

}  // namespace
