#include <gtest/gtest.h>

#include "app/routing_table.h"
#include "support/dialog_fixture.h"

namespace {

using Routing = DialogFixture;

TEST_F(Routing, EveryButtonAndTheCloseBoxReachTheirHandler) {
    EXPECT_EQ(FindRoute(WindowEvent::ButtonClicked, IDC_EXTRACT), &CVorpaneDlg::OnExtract);
    EXPECT_EQ(FindRoute(WindowEvent::ButtonClicked, IDC_DELETE), &CVorpaneDlg::OnDelete);
    EXPECT_EQ(FindRoute(WindowEvent::ButtonClicked, IDC_COMPACT), &CVorpaneDlg::OnCompact);
    EXPECT_EQ(FindRoute(WindowEvent::Close, 0), &CVorpaneDlg::OnClose);
    EXPECT_EQ(FindRoute(WindowEvent::ButtonClicked, IDC_CACHE_LIST), std::nullopt);
    EXPECT_EQ(FindRoute(WindowEvent::Close, IDC_EXTRACT), std::nullopt);

    // The About button opens the about box and leaves the list alone.
    game.WriteIndex("[Cache]\n");
    ASSERT_EQ(Run(&CVorpaneDlg::OnInitDialog), std::nullopt);
    const int loads = view.loads;
    const auto onAbout = FindRoute(WindowEvent::ButtonClicked, IDC_ABOUT);
    ASSERT_TRUE(onAbout);
    EXPECT_EQ(Run(*onAbout), std::nullopt);
    EXPECT_EQ(about.shown, 1);
    EXPECT_EQ(view.loads, loads);
}

}  // namespace
