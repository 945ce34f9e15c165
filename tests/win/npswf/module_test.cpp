// The module's exports, its function table and its start and shutdown.
#include <gtest/gtest.h>

#include "tests/win/npswf/fake_browser.h"
#include "tests/win/npswf/test_movies.h"

namespace npswf_test {
namespace {

TEST(NpswfModule, ExportsAndFillsItsTable) {
  Module& m = TheModule();
  ASSERT_NE(m.handle, nullptr);
  ASSERT_NE(m.getEntryPoints, nullptr);
  ASSERT_NE(m.initialize, nullptr);
  ASSERT_NE(m.shutdown, nullptr);
  ASSERT_NE(m.disableLocalSecurity, nullptr);
  m.disableLocalSecurity();

  NPPluginFuncs f{};  // cleared, size 0, as the package hands it over
  EXPECT_EQ(m.getEntryPoints(&f), NPERR_NO_ERROR);
  EXPECT_EQ(f.size, sizeof(NPPluginFuncs));
  EXPECT_EQ(f.version, 18);
  EXPECT_TRUE(f.newp && f.destroy && f.setwindow && f.newstream && f.destroystream && f.asfile &&
              f.writeready && f.write && f.print && f.event && f.urlnotify && f.getvalue && f.setvalue);
  EXPECT_GT(f.writeready(nullptr, nullptr), 1 << 20);
  EXPECT_EQ(m.getEntryPoints(nullptr), NPERR_INVALID_FUNCTABLE_ERROR);
}

TEST(NpswfModule, RefusesMissingOrShortBrowserTables) {
  Module& m = TheModule();
  EXPECT_EQ(m.initialize(nullptr), NPERR_INVALID_FUNCTABLE_ERROR);
  NPNetscapeFuncs shortTable{};
  shortTable.size = 172;  // the 32-bit figure: too short for the entries used here
  shortTable.version = 18;
  EXPECT_EQ(m.initialize(&shortTable), NPERR_INVALID_FUNCTABLE_ERROR);
  EXPECT_EQ(m.shutdown(), NPERR_NO_ERROR);
}

TEST(NpswfModule, CallsOnUnknownOrNullInstancesDoNothing) {
  Browser b;
  const NPPluginFuncs& f = TheModule().funcs;
  NPP_t stranger{};
  int dummy = 0;
  stranger.pdata = &dummy;  // not one of the module's
  NPEvent paint{WM_PAINT, 0, 0};
  EXPECT_EQ(f.event(&stranger, &paint), 0);
  EXPECT_EQ(f.event(nullptr, &paint), 0);
  EXPECT_EQ(f.setwindow(nullptr, nullptr), NPERR_INVALID_INSTANCE_ERROR);
  EXPECT_EQ(f.destroy(&stranger, nullptr), NPERR_INVALID_INSTANCE_ERROR);
  NPStream s{};
  EXPECT_EQ(f.write(&stranger, &s, 0, 4, &dummy), -1);
  NPObject* object = reinterpret_cast<NPObject*>(&dummy);
  EXPECT_EQ(f.getvalue(&stranger, NPPVpluginScriptableNPObject, &object), NPERR_INVALID_INSTANCE_ERROR);
  EXPECT_EQ(object, nullptr);
  EXPECT_EQ(f.newp(nullptr, nullptr, NP_EMBED, 0, nullptr, nullptr, nullptr), NPERR_INVALID_INSTANCE_ERROR);
}

TEST(NpswfModule, ShutdownFreesLiveInstancesAndStopsTheirTimers) {
  NPP_t npp{};
  {
    Browser b;
    b.files["a.swf"] = MovieBytes(kSquareMovie);
    Plugin p(b, {{"width", "100"}, {"height", "80"}});
    p.LoadMovie("a.swf");
    EXPECT_EQ(p.Int("TotalFrames"), 3);
    npp = *p.npp();
    TheModule().shutdown();  // with the instance alive and its timer running
    PumpMessages(60);        // ticks already queued find nothing
    EXPECT_EQ(TheModule().initialize(&b.table), NPERR_NO_ERROR);
    // The old instance is gone; a new one works after the module started again.
    NPEvent paint{WM_PAINT, 0, 0};
    EXPECT_EQ(TheModule().funcs.event(&npp, &paint), 0);
    Plugin q(b, {});
    q.LoadMovie("a.swf");
    EXPECT_EQ(q.Int("TotalFrames"), 3);
    p.Destroy();  // unknown by now: nothing happens
  }
}

}  // namespace
}  // namespace npswf_test
