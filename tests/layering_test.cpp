// The product folders form layers, each using only those below it:
//   base -> i18n -> x509 -> trust -> npki -> gfx -> fileops, app/updater -> app
// fileops and app/updater stand side by side (neither uses the other). Reading every #include keeps
// it so: an upward or sideways edge fails here, naming the file and the header.
// Inside app/ the shell's own files form tiers too: the window procedure calls the handlers, the
// handlers call the shell's services, and the services call only the files below them. Handlers may
// use one another, but no files of app/ may include each other in a circle.

#include "base/text.h"
#include "tests/support/source_tree.h"
#include "tests/support/temp_folder.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <map>
#include <optional>
#include <set>
#include <string>
#include <string_view>
#include <vector>

namespace {

struct Layer {
    std::string_view folder;  // with its trailing slash
    int rank;
};
// Longer folders first, so that app/updater/ is not taken for app/.
constexpr Layer k_layers[] = {
    {"app/updater/", 6}, {"base/", 0}, {"i18n/", 1}, {"x509/", 2}, {"trust/", 3}, {"npki/", 4},
    {"gfx/", 5},         {"fileops/", 6}, {"app/", 7},
};
// Folders no product file may include from.
constexpr std::string_view k_outside_product[] = {"tests/", "bench/"};

enum class ShellTier { Foundation, Services, Handler, WindowProcedure, Start };
struct ShellFile {
    std::string_view module;  // the path without .h or .cpp
    ShellTier tier;
};
// Every other file directly in app/ is of the foundation (state, settings, pure window logic).
constexpr ShellFile k_shell_files[] = {
    {"app/shell", ShellTier::Services},
    {"app/commands", ShellTier::Handler},
    {"app/keyboard", ShellTier::Handler},
    {"app/revocation_control", ShellTier::Handler},
    {"app/scan_control", ShellTier::Handler},
    {"app/search_field", ShellTier::Handler},
    {"app/settings_menu", ShellTier::Handler},
    {"app/update_control", ShellTier::Handler},
    {"app/uia_provider", ShellTier::Handler},
    {"app/window_proc", ShellTier::WindowProcedure},
    {"app/startup", ShellTier::Start},
    {"app/main", ShellTier::Start},
};

// "app/commands" for app/commands.h and app/commands.cpp; empty for a file not directly in app/.
std::string shell_module_of(std::string_view relative)
{
    if (!relative.starts_with("app/") || relative.find('/', 4) != std::string_view::npos) return {};
    const size_t dot = relative.rfind('.');
    return std::string(relative.substr(0, dot));
}

ShellTier shell_tier_of(std::string_view module)
{
    for (const ShellFile& file : k_shell_files)
        if (file.module == module) return file.tier;
    return ShellTier::Foundation;
}

// Upward edges between the tiers, then every circle among the modules (each reported once, from its
// smallest module).
std::vector<std::string> check_shell(const std::map<std::string, std::set<std::string>>& edges)
{
    std::vector<std::string> violations;
    for (const auto& [from, targets] : edges)
        for (const std::string& to : targets)
            if (shell_tier_of(to) > shell_tier_of(from) ||
                (shell_tier_of(to) == shell_tier_of(from) &&
                 (shell_tier_of(from) == ShellTier::Services || shell_tier_of(from) == ShellTier::WindowProcedure)))
                violations.push_back(from + " includes " + to + " (upward in the shell)");
    std::set<std::string> reported;
    for (const auto& [start, targets] : edges) {
        // Depth-first search for a path back to start through modules not smaller than it.
        std::vector<std::vector<std::string>> stack{{start}};
        std::set<std::string> seen;
        while (!stack.empty()) {
            std::vector<std::string> path = std::move(stack.back());
            stack.pop_back();
            const auto out = edges.find(path.back());
            if (out == edges.end()) continue;
            for (const std::string& next : out->second) {
                if (next == start) {
                    std::string circle;
                    for (const std::string& module : path) circle += module + " -> ";
                    if (reported.insert(start).second) violations.push_back(circle + start + " (circle)");
                    continue;
                }
                if (next < start || !seen.insert(next).second) continue;
                std::vector<std::string> longer = path;
                longer.push_back(next);
                stack.push_back(std::move(longer));
            }
        }
    }
    return violations;
}

std::optional<Layer> layer_of(std::string_view relative)
{
    for (const Layer& layer : k_layers)
        if (relative.starts_with(layer.folder)) return layer;
    return std::nullopt;
}

// The quoted includes of a source text, in order.
std::vector<std::string> quoted_includes(const std::string& source)
{
    std::vector<std::string> found;
    size_t at = 0;
    while ((at = source.find("#include", at)) != std::string::npos) {
        at += 8;
        while (at < source.size() && (source[at] == ' ' || source[at] == '\t')) ++at;
        if (at >= source.size() || source[at] != '"') continue;
        const size_t end = source.find('"', at + 1);
        if (end == std::string::npos) break;
        found.push_back(source.substr(at + 1, end - at - 1));
        at = end;
    }
    return found;
}

struct Scan {
    std::vector<std::string> violations;
    size_t files = 0;
};

Scan check_layering(const std::filesystem::path& root)
{
    Scan scan;
    std::map<std::string, std::set<std::string>> shell_edges;
    // Only the product folders are walked: the build folder holds a Wine prefix whose drive links lead
    // back to the whole file system.
    for (const char* top : {"base", "i18n", "x509", "trust", "npki", "gfx", "fileops", "app"}) {
        std::error_code error;
        const std::filesystem::path folder = root / top;
        if (!std::filesystem::is_directory(folder, error)) continue;
        for (auto it = std::filesystem::recursive_directory_iterator(folder, error);
             !error && it != std::filesystem::recursive_directory_iterator(); it.increment(error)) {
            const std::filesystem::path& path = it->path();
            if (path.extension() != ".h" && path.extension() != ".cpp") continue;
            const std::string relative = utf8_from_utf16(path.lexically_relative(root).generic_wstring());
            const std::optional<Layer> from = layer_of(relative);
            if (!from) continue;
            ++scan.files;
            std::ifstream file(path, std::ios::binary);
            const std::string source((std::istreambuf_iterator<char>(file)), std::istreambuf_iterator<char>());
            for (const std::string& include : quoted_includes(source)) {
                for (std::string_view outside : k_outside_product)
                    if (include.starts_with(outside))
                        scan.violations.push_back(relative + " includes " + include + " (test code)");
                const std::string from_module = shell_module_of(relative);
                const std::string to_module = shell_module_of(include);
                if (!from_module.empty() && !to_module.empty() && from_module != to_module)
                    shell_edges[from_module].insert(to_module);
                const std::optional<Layer> to = layer_of(include);
                if (!to || to->folder == from->folder) continue;
                if (to->rank > from->rank) scan.violations.push_back(relative + " includes " + include + " (upward)");
                if (to->rank == from->rank) scan.violations.push_back(relative + " includes " + include + " (sideways)");
            }
        }
        if (error) scan.violations.push_back(std::string(top) + ": cannot be read to the end");
    }
    for (std::string& violation : check_shell(shell_edges)) scan.violations.push_back(std::move(violation));
    return scan;
}

TEST(Layering, ProductFoldersIncludeOnlyLowerLayers)
{
    const Scan scan = check_layering(source_tree());
    EXPECT_GT(scan.files, 50u) << "the source tree was not found at " << source_tree().string();
    for (const std::string& violation : scan.violations) ADD_FAILURE() << violation;
}

TEST(Layering, CheckCatchesUpwardSidewaysAndTestIncludes)
{
    TempFolder tree;
    const struct {
        const wchar_t* file;
        const char* text;
    } k_files[] = {
        {L"base\\text.h", "#include \"npki/inventory.h\"\n"},                       // upward
        {L"gfx\\view.cpp", "#include  \"gfx/own.h\"\n#include \"app/window_state.h\"\n"},  // upward
        {L"fileops\\copy.cpp", "#include \"app/updater/check.h\"\n"},              // sideways
        {L"app\\updater\\check.cpp", "#include \"fileops/copy.h\"\n#include \"x509/ok.h\"\n"},  // sideways
        {L"npki\\scan.cpp", "#include \"x509/decoder.h\"\n#include <windows.h>\n"},  // fine
        {L"app\\proc.cpp", "#include \"app/updater/check.h\"\n#include \"fileops/copy.h\"\n"},  // fine
        {L"x509\\dates.cpp", "#include \"tests/support/der_writer.h\"\n"},         // test code
        {L"tests\\anything.cpp", "#include \"app/window_state.h\"\n"},             // not product code
        {L"app\\shell.cpp", "#include \"app/shell.h\"\n#include \"app/update_control.h\"\n"},  // upward
        {L"app\\keyboard.cpp", "#include \"app/commands.h\"\n#include \"app/shell.h\"\n"},  // fine alone
        {L"app\\commands.cpp", "#include \"app/scan_control.h\"\n"},          // fine alone
        {L"app\\scan_control.cpp", "#include \"app/keyboard.h\"\n"},          // closes a circle
        {L"app\\startup.cpp", "#include \"app/window_proc.h\"\n"},            // fine
        {L"app\\window_proc.cpp", "#include \"app/commands.h\"\n"},           // fine
    };
    for (const auto& f : k_files) ASSERT_TRUE(write_file(tree / f.file, f.text));

    Scan scan = check_layering(std::filesystem::path(tree.path()));
    std::sort(scan.violations.begin(), scan.violations.end());
    const std::vector<std::string> expected = {
        "app/commands -> app/scan_control -> app/keyboard -> app/commands (circle)",
        "app/shell includes app/update_control (upward in the shell)",
        "app/updater/check.cpp includes fileops/copy.h (sideways)",
        "base/text.h includes npki/inventory.h (upward)",
        "fileops/copy.cpp includes app/updater/check.h (sideways)",
        "gfx/view.cpp includes app/window_state.h (upward)",
        "x509/dates.cpp includes tests/support/der_writer.h (test code)",
    };
    EXPECT_EQ(scan.violations, expected);
    EXPECT_EQ(scan.files, 13u);
}

}  // namespace
