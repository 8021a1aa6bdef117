// The product folders form layers, each using only those below it:
//   base -> i18n -> x509 -> npki -> gfx -> fileops, app/updater -> app
// fileops and app/updater stand side by side (neither uses the other). Reading every #include keeps
// it so: an upward or sideways edge fails here, naming the file and the header.

#include "base/text.h"
#include "tests/support/source_tree.h"
#include "tests/support/temp_folder.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <optional>
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
    {"app/updater/", 5}, {"base/", 0}, {"i18n/", 1}, {"x509/", 2}, {"npki/", 3},
    {"gfx/", 4},         {"fileops/", 5}, {"app/", 6},
};
// Folders no product file may include from.
constexpr std::string_view k_outside_product[] = {"tests/", "bench/"};

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
    // Only the product folders are walked: the build folder holds a Wine prefix whose drive links lead
    // back to the whole file system.
    for (const char* top : {"base", "i18n", "x509", "npki", "gfx", "fileops", "app"}) {
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
                const std::optional<Layer> to = layer_of(include);
                if (!to || to->folder == from->folder) continue;
                if (to->rank > from->rank) scan.violations.push_back(relative + " includes " + include + " (upward)");
                if (to->rank == from->rank) scan.violations.push_back(relative + " includes " + include + " (sideways)");
            }
        }
        if (error) scan.violations.push_back(std::string(top) + ": cannot be read to the end");
    }
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
    };
    for (const auto& f : k_files) ASSERT_TRUE(write_file(tree / f.file, f.text));

    Scan scan = check_layering(std::filesystem::path(tree.path()));
    std::sort(scan.violations.begin(), scan.violations.end());
    const std::vector<std::string> expected = {
        "app/updater/check.cpp includes fileops/copy.h (sideways)",
        "base/text.h includes npki/inventory.h (upward)",
        "fileops/copy.cpp includes app/updater/check.h (sideways)",
        "gfx/view.cpp includes app/window_state.h (upward)",
        "x509/dates.cpp includes tests/support/der_writer.h (test code)",
    };
    EXPECT_EQ(scan.violations, expected);
    EXPECT_EQ(scan.files, 7u);
}

}  // namespace
