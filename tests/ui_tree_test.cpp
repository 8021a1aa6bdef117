// The accessibility tree as plain values: which elements exist for a shape of the window, how a
// screen reader walks them, what each stands for, and how an element is found again after the list
// changed under it.

#include "gfx/ui_tree.h"

#include "tests/support/view_shapes.h"

#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

namespace {

ElementKey k(ElementKind kind, uint64_t index = 0, CardAction action = CardAction::Copy)
{
    return ElementKey{kind, index, action};
}

// Every element below `root`, depth first, found only by FirstChild and NextSibling; each child's
// Parent must lead back.
std::vector<ElementKey> walk(const ViewShape& shape, const ElementKey& root)
{
    std::vector<ElementKey> seen;
    std::function<void(const ElementKey&)> visit = [&](const ElementKey& parent) {
        for (std::optional<ElementKey> child = navigate(shape, parent, Navigation::FirstChild); child;
             child = navigate(shape, *child, Navigation::NextSibling)) {
            EXPECT_EQ(navigate(shape, *child, Navigation::Parent), parent);
            seen.push_back(*child);
            visit(*child);
        }
    };
    visit(root);
    return seen;
}

}  // namespace

TEST(UiTree, WindowChildrenFollowWhatIsShown)
{
    const struct {
        const char* name;
        ViewShape shape;
        std::vector<ElementKey> expected;
    } k_cases[] = {
        {"before the first result", ViewShape{},
         {k(ElementKind::AddFolder), k(ElementKind::Refresh), k(ElementKind::Menu), k(ElementKind::Scanning)}},
        {"the list, clean-up and a notice", list_of(2, true, true),
         {k(ElementKind::CleanUp), k(ElementKind::AddFolder), k(ElementKind::Refresh), k(ElementKind::Menu),
          k(ElementKind::Summary), k(ElementKind::List), k(ElementKind::Notice)}},
        {"the pane stands in for the main view", [] {
             ViewShape s = list_of(2, true, true);
             s.pane = 1;
             s.row_count = 14;
             return s;
         }(),
         {k(ElementKind::Pane), k(ElementKind::Notice)}},
    };
    for (const auto& c : k_cases) EXPECT_EQ(children_of(c.shape, k(ElementKind::Window)), c.expected) << c.name;
}

TEST(UiTree, WalkingFindsEveryElementOnceInReadingOrder)
{
    const std::vector<ElementKey> expected = {
        k(ElementKind::AddFolder), k(ElementKind::Refresh), k(ElementKind::Menu), k(ElementKind::Summary),
        k(ElementKind::List),
        k(ElementKind::Card, 0), k(ElementKind::CardButton, 0, CardAction::Copy),
        k(ElementKind::CardButton, 0, CardAction::OpenFolder), k(ElementKind::CardButton, 0, CardAction::Recycle),
        k(ElementKind::Card, 1), k(ElementKind::CardButton, 1, CardAction::Copy),
        k(ElementKind::CardButton, 1, CardAction::OpenFolder), k(ElementKind::CardButton, 1, CardAction::Recycle),
    };
    const ViewShape shape = list_of(2);
    EXPECT_EQ(walk(shape, k(ElementKind::Window)), expected);

    // Backwards and at the ends.
    EXPECT_EQ(navigate(shape, k(ElementKind::List), Navigation::LastChild), k(ElementKind::Card, 1));
    EXPECT_EQ(navigate(shape, k(ElementKind::Card, 1), Navigation::PreviousSibling), k(ElementKind::Card, 0));
    EXPECT_EQ(navigate(shape, k(ElementKind::Card, 0), Navigation::PreviousSibling), std::nullopt);
    EXPECT_EQ(navigate(shape, k(ElementKind::Card, 1), Navigation::NextSibling), std::nullopt);
    EXPECT_EQ(navigate(shape, k(ElementKind::Menu), Navigation::PreviousSibling), k(ElementKind::Refresh));
    EXPECT_EQ(navigate(shape, k(ElementKind::Window), Navigation::Parent), std::nullopt);
    EXPECT_EQ(navigate(list_of(0), k(ElementKind::List), Navigation::FirstChild), std::nullopt);
    // Elements that do not exist lead nowhere.
    EXPECT_EQ(navigate(shape, k(ElementKind::Card, 2), Navigation::Parent), std::nullopt);
    EXPECT_EQ(navigate(shape, k(ElementKind::Pane), Navigation::FirstChild), std::nullopt);

    ViewShape pane = shape;
    pane.pane = 0;
    pane.row_count = 2;
    EXPECT_EQ(walk(pane, k(ElementKind::Window)),
              (std::vector<ElementKey>{k(ElementKind::Pane), k(ElementKind::DetailRow, 0), k(ElementKind::DetailRow, 1),
                                       k(ElementKind::CopyAll), k(ElementKind::Close)}));
}

TEST(UiTree, ElementsStandForTheirClickTargets)
{
    const struct {
        ElementKey key;
        ElementRole role;
        std::optional<HitTarget> target;
    } k_cases[] = {
        {k(ElementKind::Window), ElementRole::Window, std::nullopt},
        {k(ElementKind::Menu), ElementRole::Button, HitTarget{HitKind::Menu}},
        {k(ElementKind::CleanUp), ElementRole::Button, HitTarget{HitKind::CleanUp}},
        {k(ElementKind::Scanning), ElementRole::Text, std::nullopt},
        {k(ElementKind::List), ElementRole::List, std::nullopt},
        {k(ElementKind::Card, 4), ElementRole::ListItem, HitTarget{HitKind::Card, CardAction::Copy, 4}},
        {k(ElementKind::CardButton, 4, CardAction::OpenFolder), ElementRole::Button,
         HitTarget{HitKind::CardButton, CardAction::OpenFolder, 4}},
        {k(ElementKind::Pane), ElementRole::Pane, std::nullopt},
        {k(ElementKind::DetailRow, 8), ElementRole::Button, HitTarget{HitKind::DetailRow, CardAction::Copy, 8}},
        {k(ElementKind::CopyAll), ElementRole::Button, HitTarget{HitKind::CopyAll}},
        {k(ElementKind::Close), ElementRole::Button, HitTarget{HitKind::Close}},
        {k(ElementKind::Notice), ElementRole::Text, std::nullopt},
    };
    for (const auto& c : k_cases) {
        EXPECT_EQ(role_of(c.key.kind), c.role);
        EXPECT_EQ(target_of(c.key), c.target);
        if (c.target) {
            EXPECT_EQ(element_of(*c.target), c.key);
        }
    }
    EXPECT_TRUE(is_live(ElementKind::Notice));
    EXPECT_TRUE(is_live(ElementKind::Scanning));
    EXPECT_FALSE(is_live(ElementKind::Summary));
    EXPECT_EQ(element_of(HitTarget{HitKind::Outside}), k(ElementKind::Window));
}

TEST(UiTree, ElementsAreFoundAgainByTheirCertificate)
{
    const std::vector<CertificateEntry> before = {entry("CN=A", "01"), entry("CN=B", "02")};
    const std::vector<CertificateEntry> after = {entry("CN=C", "03"), entry("CN=B", "02"), entry("CN=A", "01")};
    const std::vector<CertificateEntry> without_a = {entry("CN=B", "02")};
    ViewShape two = list_of(2);
    ViewShape three = list_of(3);

    const ElementRef button = element_ref(two, before, k(ElementKind::CardButton, 0, CardAction::Recycle));
    EXPECT_NE(button.identity, 0u);
    EXPECT_EQ(resolve(three, after, button), k(ElementKind::CardButton, 2, CardAction::Recycle));
    EXPECT_EQ(resolve(list_of(1), without_a, button), std::nullopt);
    // Toolbar buttons belong to no certificate and stay while shown.
    const ElementRef menu = element_ref(two, before, k(ElementKind::Menu));
    EXPECT_EQ(menu.identity, 0u);
    EXPECT_EQ(resolve(three, after, menu), k(ElementKind::Menu));

    // A pane's rows belong to its certificate: gone when the pane shows another one or closed.
    ViewShape pane_on_b = two;
    pane_on_b.pane = 1;
    pane_on_b.row_count = 14;
    const ElementRef row = element_ref(pane_on_b, before, k(ElementKind::DetailRow, 8));
    ViewShape pane_moved = three;
    pane_moved.pane = 1;
    pane_moved.row_count = 14;
    EXPECT_EQ(resolve(pane_moved, after, row), k(ElementKind::DetailRow, 8));
    ViewShape pane_on_c = pane_moved;
    pane_on_c.pane = 0;
    EXPECT_EQ(resolve(pane_on_c, after, row), std::nullopt);
    EXPECT_EQ(resolve(three, after, row), std::nullopt);

    EXPECT_EQ(entry_identity(entry("CN=A", "01").info), entry_identity(before[0].info));
    EXPECT_NE(entry_identity(entry("cn=a", "01").info), entry_identity(before[0].info));  // byte for byte
    EXPECT_NE(entry_identity(entry("CN=A0", "1").info), entry_identity(before[0].info));  // the parts stay apart
}
