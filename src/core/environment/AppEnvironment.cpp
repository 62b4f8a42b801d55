#include "core/environment/AppEnvironment.h"

#include "core/base/Uuid.h"
#include "core/store/ThreadStore.h"

#include <algorithm>

namespace cadro {

namespace fs = std::filesystem;

AppEnvironment AppEnvironment::live(DefaultsProvider& provider, const EnvironmentLookup& lookup) {
    AppEnvironment environment;
    environment.defaults = provider.standard();
    environment.launchAgentsDirectory = userLoginItemsDirectory(lookup);
    return environment;
}

AppEnvironment AppEnvironment::demo(bool seeded, DefaultsProvider& provider) {
    std::error_code ec;
    fs::path temporary = fs::temp_directory_path(ec);
    if (ec)
        temporary = "/tmp";
    fs::path sandbox = temporary / ("CadroDemo-" + Uuid::random().toString());

    provider.standard()->removePersistentDomain(kDemoDomain);

    AppEnvironment environment;
    environment.seedsSampleData = seeded;
    environment.dataDirectory = sandbox / "data";
    environment.stateDirectory = sandbox / "state";
    environment.defaults = provider.suite(kDemoDomain);
    if (!environment.defaults)
        environment.defaults = provider.standard();
    environment.launchAgentsDirectory = sandbox / "LaunchAgents";
    environment.sandbox = sandbox;
    return environment;
}

AppEnvironment AppEnvironment::current(const std::vector<std::string>& arguments,
                                       DefaultsProvider& provider,
                                       const EnvironmentLookup& lookup) {
    auto has = [&](std::string_view flag) {
        return std::find(arguments.begin(), arguments.end(), flag) != arguments.end();
    };
    AppEnvironment environment = has("--demo-empty") ? demo(false, provider)
                                 : has("--demo")     ? demo(true, provider)
                                                     : live(provider, lookup);
    auto captureDirectory = requestedDirectory(arguments);
    if (captureDirectory && !environment.sandbox) {
        environment = demo(false, provider);
        environment.storeCopiedFrom = defaultStoreDirectory() / "threads.json";
    }
    environment.captureDirectory = captureDirectory;
    return environment;
}

std::optional<fs::path> AppEnvironment::requestedDirectory(
    const std::vector<std::string>& arguments) {
    auto flag = std::find(arguments.begin(), arguments.end(), "--capture");
    if (flag == arguments.end() || std::next(flag) == arguments.end())
        return std::nullopt;
    // An empty argument names no folder; the tour would write into the working one.
    if (std::next(flag)->empty())
        return std::nullopt;
    return fs::path(*std::next(flag));
}

bool AppEnvironment::claimWelcome() const {
    if (captureDirectory || defaults->getBool(kWelcomeShownKey).value_or(false))
        return false;
    defaults->setBool(kWelcomeShownKey, true);
    return true;
}

void AppEnvironment::copyStoreIntoSandbox() const {
    if (!storeCopiedFrom || !dataDirectory)
        return;
    std::error_code ec;
    fs::create_directories(*dataDirectory, ec);
    // The copy is the user's own data: only they may read it.
    for (const auto& folder : {sandbox.value_or(*dataDirectory), *dataDirectory})
        fs::permissions(folder, fs::perms::owner_all, ec);
    fs::copy_file(*storeCopiedFrom, *dataDirectory / storeCopiedFrom->filename(), ec);
}

void AppEnvironment::discardDemoData(DefaultsProvider& provider) const {
    if (!sandbox)
        return;
    removeSandbox();
    provider.standard()->removePersistentDomain(kDemoDomain);
}

void AppEnvironment::removeSandbox() const {
    std::error_code ec;
    if (sandbox)
        fs::remove_all(*sandbox, ec);
}

}  // namespace cadro
