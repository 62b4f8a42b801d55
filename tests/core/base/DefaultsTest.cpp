#include "core/base/Defaults.h"

#include <gtest/gtest.h>

namespace cadro {
namespace {

TEST(MemoryDefaults, ReadsOnlyTheTypeThatWasStored) {
    MemoryDefaults defaults;
    defaults.setString("tab", "brainDump");
    defaults.setData("blob", std::string("\0\x01", 2));
    defaults.setDate("when", Date{12.5});
    EXPECT_EQ(defaults.getData("blob"), std::string("\0\x01", 2));
    EXPECT_EQ(defaults.getDate("when"), Date{12.5});
    // A string is not data, a date not a bool: wrong types read as absent.
    EXPECT_EQ(defaults.getData("tab"), std::nullopt);
    EXPECT_EQ(defaults.getString("blob"), std::nullopt);
    EXPECT_EQ(defaults.getBool("when"), std::nullopt);

    defaults.setBool("tab", false);  // overwrite with another type
    EXPECT_EQ(defaults.getBool("tab"), false);
    EXPECT_EQ(defaults.getString("tab"), std::nullopt);
    defaults.remove("tab");
    defaults.remove("tab");
    EXPECT_EQ(defaults.getBool("tab"), std::nullopt);
}

TEST(MemoryDefaults, RemovingADomainEmptiesItForEveryHandleButSparesOthers) {
    MemoryDefaultsProvider provider;
    auto standard = provider.standard();
    auto demo = provider.suite("com.cadro.demo");
    standard->setBool("welcome.shown", true);
    demo->setBool("welcome.shown", true);
    auto demoAgain = provider.suite("com.cadro.demo");
    EXPECT_EQ(demoAgain->getBool("welcome.shown"), true);

    standard->removePersistentDomain("com.cadro.demo");

    EXPECT_EQ(demo->getBool("welcome.shown"), std::nullopt);
    EXPECT_EQ(demoAgain->getBool("welcome.shown"), std::nullopt);
    EXPECT_EQ(standard->getBool("welcome.shown"), true);
    // The handle stays usable after its domain is gone.
    demo->setString("settings.selectedTab", "todo");
    EXPECT_EQ(demoAgain->getString("settings.selectedTab"), "todo");
}

}  // namespace
}  // namespace cadro
