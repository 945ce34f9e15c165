// The browser functions the unit offers the module: fixed answers, memory,
// identifiers, the browser objects, object lifetime and URL requests.
#include <gtest/gtest.h>

#include <cstring>

#include "netscape_fake_module.h"

namespace {

using vt_test::NetscapeTest;
using Browser = NetscapeTest;

const NPNetscapeFuncs& B() { return vt::NetscapeBrowserFuncs(); }

TEST_F(Browser, UserAgentMemoryAndIdentifiers) {
  EXPECT_STREQ(B().uagent(nullptr),
               "Mozilla/5.0 (Windows; U; Windows NT 5.1; en-US; rv:1.8.0.3) Gecko/20060426 Vistrel/4");

  auto* block = static_cast<unsigned char*>(B().memalloc(257));
  ASSERT_NE(block, nullptr);
  for (int i = 0; i < 257; ++i) ASSERT_EQ(block[i], 0) << i;
  B().memfree(block);
  EXPECT_EQ(B().memflush(100), 0u);

  const char name[] = "abc";
  const NPIdentifier id = B().getstringidentifier(name);
  EXPECT_EQ(id, static_cast<const void*>(name)) << "the very address passed in";
  EXPECT_TRUE(B().identifierisstring(id));
  NPUTF8* copy = B().utf8fromidentifier(id);
  ASSERT_NE(copy, nullptr);
  EXPECT_NE(copy, name);
  EXPECT_STREQ(copy, "abc");
  B().memfree(copy);
  EXPECT_EQ(B().getintidentifier(5), nullptr);
  EXPECT_EQ(B().intfromidentifier(id), 0);
  NPIdentifier ids[1] = {reinterpret_cast<NPIdentifier>(0x42)};
  const NPUTF8* names[1] = {name};
  B().getstringidentifiers(names, 1, ids);
  EXPECT_EQ(ids[0], reinterpret_cast<NPIdentifier>(0x42)) << "left as it was";
}

TEST_F(Browser, GetValueAnswersFourVariablesAndTheWindowObjectIsHandedOutWithCountOne) {
  void* window = reinterpret_cast<void*>(1);
  EXPECT_EQ(B().getvalue(nullptr, NPNVnetscapeWindow, &window), NPERR_NO_ERROR);
  EXPECT_EQ(window, nullptr);
  NPBool enabled = false;
  EXPECT_EQ(B().getvalue(nullptr, NPNVjavascriptEnabledBool, &enabled), NPERR_NO_ERROR);
  EXPECT_TRUE(enabled);
  NPBool windowless = false;
  EXPECT_EQ(B().getvalue(nullptr, NPNVSupportsWindowless, &windowless), NPERR_NO_ERROR);
  EXPECT_TRUE(windowless);
  int untouched = 77;
  EXPECT_EQ(B().getvalue(nullptr, NPNVxDisplay, &untouched), NPERR_NO_ERROR);
  EXPECT_EQ(untouched, 77);

  NPObject* first = nullptr;
  NPObject* second = nullptr;
  B().getvalue(nullptr, NPNVWindowNPObject, &first);
  ASSERT_NE(first, nullptr);
  EXPECT_EQ(first->referenceCount, 1u);
  EXPECT_EQ(first->_class->structVersion, 1u);
  B().retainobject(first);
  EXPECT_EQ(first->referenceCount, 2u);
  B().getvalue(nullptr, NPNVWindowNPObject, &second);
  EXPECT_EQ(second, first);
  EXPECT_EQ(second->referenceCount, 1u);
  // Released as often as handed out and more: never disposed of, still usable.
  B().releaseobject(first);
  B().releaseobject(first);
  B().releaseobject(first);
  NPVariant v{};
  EXPECT_TRUE(B().getproperty(nullptr, first, B().getstringidentifier("location"), &v));
  EXPECT_EQ(v.type, NPVariantType_Object);
}

TEST_F(Browser, GetPropertyServesTheWindowLocationTopGraph) {
  NPObject* window = nullptr;
  B().getvalue(nullptr, NPNVWindowNPObject, &window);
  auto get = [](NPObject* object, const char* name, NPVariant& v) {
    v = NPVariant{};
    v.type = NPVariantType_Null;
    return B().getproperty(nullptr, object, const_cast<char*>(name), &v);
  };
  NPVariant location, top, topLocation, v;
  // Names are compared as text, not by address.
  char locationName[] = "location";
  ASSERT_TRUE(get(window, locationName, location));
  ASSERT_TRUE(get(window, "top", top));
  ASSERT_TRUE(get(top.value.objectValue, "location", topLocation));
  NPObject* objects[] = {window, location.value.objectValue, top.value.objectValue,
                         topLocation.value.objectValue};
  for (int i = 0; i < 4; ++i)
    for (int j = i + 1; j < 4; ++j) EXPECT_NE(objects[i], objects[j]);
  EXPECT_EQ(top.value.objectValue->referenceCount, 1u);

  EXPECT_FALSE(get(window, "document", v));
  EXPECT_EQ(v.type, NPVariantType_Void);
  EXPECT_FALSE(get(location.value.objectValue, "href", v));
  EXPECT_EQ(v.type, NPVariantType_Void);
  EXPECT_FALSE(get(top.value.objectValue, "top", v));
  NPObject stranger{};
  EXPECT_FALSE(get(&stranger, "location", v));
  EXPECT_EQ(v.type, NPVariantType_Void);
  EXPECT_FALSE(get(window, nullptr, v));
}

struct Counts {
  static inline int allocated = 0, deallocated = 0, invalidated = 0;
};
NPObject* CountedAllocate(NPP, NPClass*) {
  ++Counts::allocated;
  return new NPObject{};
}
void CountedDeallocate(NPObject* o) {
  ++Counts::deallocated;
  delete o;
}
void CountedInvalidate(NPObject*) { ++Counts::invalidated; }

TEST_F(Browser, CreatedObjectsAreDisposedOfThroughTheirClassWhenTheCountReachesZero) {
  Counts::allocated = Counts::deallocated = Counts::invalidated = 0;
  NPClass cls{};
  cls.structVersion = 1;
  cls.allocate = CountedAllocate;
  cls.deallocate = CountedDeallocate;
  cls.invalidate = CountedInvalidate;
  NPObject* o = B().createobject(nullptr, &cls);
  ASSERT_NE(o, nullptr);
  EXPECT_EQ(o->_class, &cls);
  EXPECT_EQ(o->referenceCount, 1u);
  EXPECT_EQ(B().retainobject(o), o);
  B().releaseobject(o);
  EXPECT_EQ(Counts::deallocated, 0);
  B().releaseobject(o);
  EXPECT_EQ(Counts::deallocated, 1);
  EXPECT_EQ(Counts::invalidated, 0);

  // Without deallocate the invalidate entry disposes of it.
  NPClass onlyInvalidate = cls;
  onlyInvalidate.deallocate = nullptr;
  NPObject* p = B().createobject(nullptr, &onlyInvalidate);
  B().releaseobject(p);
  EXPECT_EQ(Counts::invalidated, 1);
  EXPECT_EQ(p->referenceCount, 0u);
  B().releaseobject(p);  // a count already at zero is left alone
  EXPECT_EQ(Counts::invalidated, 1);
  delete p;
  B().releaseobject(nullptr);
  EXPECT_EQ(B().retainobject(nullptr), nullptr);
}

TEST_F(Browser, StubEntriesAnswerSuccessFalseOrNull) {
  EXPECT_EQ(B().geturl(nullptr, "a", nullptr), NPERR_NO_ERROR);
  EXPECT_EQ(B().posturl(nullptr, "a", nullptr, 0, nullptr, false), NPERR_NO_ERROR);
  EXPECT_EQ(B().requestread(nullptr, nullptr), NPERR_NO_ERROR);
  EXPECT_EQ(B().newstream(nullptr, nullptr, nullptr, nullptr), NPERR_NO_ERROR);
  EXPECT_EQ(B().write(nullptr, nullptr, 5, nullptr), 0);
  EXPECT_EQ(B().destroystream(nullptr, nullptr, 0), NPERR_NO_ERROR);
  EXPECT_EQ(B().getJavaEnv(), nullptr);
  EXPECT_EQ(B().getJavaPeer(nullptr), nullptr);
  EXPECT_EQ(B().posturlnotify(nullptr, "a", nullptr, 0, nullptr, false, nullptr), NPERR_NO_ERROR);
  EXPECT_EQ(B().setvalue(nullptr, NPPVpluginWindowBool, nullptr), NPERR_NO_ERROR);
  EXPECT_FALSE(B().invokeDefault(nullptr, nullptr, nullptr, 0, nullptr));
  EXPECT_FALSE(B().setproperty(nullptr, nullptr, nullptr, nullptr));
  EXPECT_FALSE(B().removeproperty(nullptr, nullptr, nullptr));
  EXPECT_FALSE(B().hasproperty(nullptr, nullptr, nullptr));
  EXPECT_FALSE(B().hasmethod(nullptr, nullptr, nullptr));
  B().status(nullptr, "x");
  B().reloadplugins(true);
  B().invalidateregion(nullptr, nullptr);
  B().forceredraw(nullptr);
  B().releasevariantvalue(nullptr);
  B().setexception(nullptr, "x");
  B().pushpopupsenabledstate(nullptr, true);
  B().poppopupsenabledstate(nullptr);
  // Browser functions given an instance that names no driver do nothing.
  NPP_t foreign{nullptr, reinterpret_cast<void*>(0x1234)};
  NPRect r{0, 0, 10, 10};
  B().invalidaterect(&foreign, &r);
  EXPECT_EQ(B().geturlnotify(&foreign, "C:\\a.swf", nullptr, nullptr), NPERR_NO_ERROR);
}

TEST_F(Browser, UrlRequestsNamingJavaAreRefusedAndRequestsWithATargetIgnored) {
  auto d = NewDriver();
  fake->ClearLog();
  EXPECT_EQ(fake->GetURLNotify("javascript:alert(1)", nullptr), NPERR_INVALID_URL);
  EXPECT_EQ(fake->GetURLNotify("http://host/java/movie.swf", nullptr), NPERR_INVALID_URL);
  EXPECT_EQ(fake->GetURLNotify("http://host/Java/movie.swf", "_blank"), NPERR_NO_ERROR);
  EXPECT_EQ(fake->GetURLNotify(NPSWF_RECORDER_DIR "/npswf32.dll", "_self"), NPERR_NO_ERROR);
  EXPECT_EQ(fake->GetURLNotify("Z:\\no such file.swf", nullptr), NPERR_NO_ERROR);
  EXPECT_TRUE(fake->Lines().empty()) << "no stream for any of them";
}

}  // namespace
