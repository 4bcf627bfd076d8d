// The docking layout on small tables of its own: the order of the edges,
// anchors, a group box's inner area, hidden and natural-sized controls, and
// tables that do not fit the form.
#include "widgets/dock.h"

#include <QGroupBox>
#include <QLabel>
#include <QWidget>

#include <gtest/gtest.h>

#include <stdexcept>

using widgets::Dock;

namespace {

QWidget* child(QWidget* parent, const char* name)
{
    auto* w = new QWidget(parent);
    w->setObjectName(QString::fromLatin1(name));
    return w;
}

QRect at(QWidget& form, const char* name)
{
    return form.findChild<QWidget*>(QString::fromLatin1(name))->geometry();
}

// Edges in the order top, bottom, left, right, then the filling control,
// each in table order, whatever order the table lists them in.
TEST(DockLayout, EdgesShareTheAreaInTheirOrder)
{
    QWidget form;
    form.setObjectName(QStringLiteral("Form"));
    for (const char* n : {"Fill", "Right", "Left", "Bottom", "Top1", "Top2"})
        child(&form, n);
    const widgets::Place table[] = {
        {"Form", nullptr, Dock::none, {0, 0, 200, 100}},
        {"Fill", "Form", Dock::client, {}},
        {"Right", "Form", Dock::right, {0, 0, 30, 0}},
        {"Left", "Form", Dock::left, {0, 0, 20, 0}},
        {"Bottom", "Form", Dock::bottom, {0, 0, 0, 15}},
        {"Top1", "Form", Dock::top, {0, 0, 0, 10}},
        {"Top2", "Form", Dock::top, {0, 0, 0, 5}},
    };
    form.resize(200, 100);
    widgets::applyLayout(&form, table);
    EXPECT_EQ(at(form, "Top1"), QRect(0, 0, 200, 10));
    EXPECT_EQ(at(form, "Top2"), QRect(0, 10, 200, 5));
    EXPECT_EQ(at(form, "Bottom"), QRect(0, 85, 200, 15));
    EXPECT_EQ(at(form, "Left"), QRect(0, 15, 20, 70));
    EXPECT_EQ(at(form, "Right"), QRect(170, 15, 30, 70));
    EXPECT_EQ(at(form, "Fill"), QRect(20, 15, 150, 70));

    // Shown and wider: the layout follows the form's size by itself.
    form.show();
    form.resize(300, 100);
    EXPECT_EQ(at(form, "Right"), QRect(270, 15, 30, 70));
    EXPECT_EQ(at(form, "Fill"), QRect(20, 15, 250, 70));

    // A hidden control gives its room to the others.
    form.findChild<QWidget*>(QStringLiteral("Top1"))->hide();
    widgets::arrangeAll(&form);
    EXPECT_EQ(at(form, "Top2"), QRect(0, 0, 300, 5));
    EXPECT_EQ(at(form, "Fill"), QRect(20, 5, 250, 80));
}

TEST(DockLayout, AnchorsKeepTheDistancesOfTheDesign)
{
    const struct {
        const char* what;
        unsigned anchors;
        QRect wider;  // in a 300 x 150 parent designed 200 x 100
    } cases[] = {
        {"left and top", widgets::kAnchorTopLeft, {10, 20, 50, 30}},
        {"right", widgets::akTop | widgets::akRight, {110, 20, 50, 30}},
        {"left and right", widgets::akLeft | widgets::akTop | widgets::akRight, {10, 20, 150, 30}},
        {"bottom and right", widgets::akRight | widgets::akBottom, {110, 70, 50, 30}},
        {"all four", widgets::kAnchorAll, {10, 20, 150, 80}},
    };
    for (const auto& c : cases) {
        QWidget form;
        form.setObjectName(QStringLiteral("Form"));
        child(&form, "Box");
        const widgets::Place table[] = {
            {"Form", nullptr, Dock::none, {0, 0, 200, 100}},
            {"Box", "Form", Dock::none, {10, 20, 50, 30}, c.anchors},
        };
        form.resize(200, 100);
        widgets::applyLayout(&form, table);
        EXPECT_EQ(at(form, "Box"), QRect(10, 20, 50, 30)) << c.what;
        form.resize(300, 150);
        widgets::arrangeAll(&form);
        EXPECT_EQ(at(form, "Box"), c.wider) << c.what;
        // Narrower than the design: a stretched control shrinks to nothing,
        // never to less.
        form.resize(40, 30);
        widgets::arrangeAll(&form);
        EXPECT_GE(at(form, "Box").width(), 0) << c.what;
        EXPECT_GE(at(form, "Box").height(), 0) << c.what;
    }
}

TEST(DockLayout, GroupBoxDocksInsideItsFrameAndBelowItsCaption)
{
    QWidget form;
    form.setObjectName(QStringLiteral("Form"));
    auto* box = new QGroupBox(QStringLiteral("caption"), &form);
    box->setObjectName(QStringLiteral("Box"));
    child(box, "Inside");
    auto* label = new QLabel(QStringLiteral("a label"), box);
    label->setObjectName(QStringLiteral("Label"));
    const widgets::Place table[] = {
        {"Form", nullptr, Dock::none, {0, 0, 200, 100}},
        {"Box", "Form", Dock::client, {}},
        {"Inside", "Box", Dock::client, {}},
        {"Label", "Box", Dock::none, {7, 8, widgets::kNatural, widgets::kNatural}},
    };
    form.resize(200, 100);
    widgets::applyLayout(&form, table);
    const int caption = QFontMetrics(box->font()).height();
    EXPECT_EQ(at(form, "Box"), QRect(0, 0, 200, 100));
    EXPECT_EQ(at(form, "Inside"), QRect(2, caption + 2, 196, 100 - caption - 4));
    // A fixed control is measured from the box's corner, at its natural size.
    EXPECT_EQ(at(form, "Label"), QRect(QPoint(7, 8), label->sizeHint()));
}

TEST(DockLayout, ARuleCanSizeADockedControlBeforeEachArrangement)
{
    QWidget form;
    form.setObjectName(QStringLiteral("Form"));
    QWidget* half = child(&form, "Half");
    child(&form, "Rest");
    const widgets::Place table[] = {
        {"Form", nullptr, Dock::none, {0, 0, 200, 100}},
        {"Half", "Form", Dock::left, {0, 0, 50, 100}},
        {"Rest", "Form", Dock::client, {}},
    };
    form.resize(200, 100);
    widgets::applyLayout(&form, table);
    widgets::DockLayout* d = widgets::dockOf(&form);
    d->beforeArrange = [&] { d->setExtent(half, form.width() / 2); };
    form.show();
    for (int w : {201, 333, 80}) {
        form.resize(w, 100);
        EXPECT_EQ(at(form, "Half").width(), w / 2) << w;
        EXPECT_EQ(at(form, "Rest"), QRect(w / 2, 0, w - w / 2, 100)) << w;
    }
}

TEST(DockLayout, ATableThatDoesNotFitTheFormIsRefused)
{
    QWidget form;
    form.setObjectName(QStringLiteral("Form"));
    QWidget* a = child(&form, "A");
    child(a, "B");
    const widgets::Place missing[] = {
        {"Form", nullptr, Dock::none, {0, 0, 10, 10}},
        {"C", "Form", Dock::none, {0, 0, 1, 1}},
    };
    EXPECT_THROW(widgets::applyLayout(&form, missing), std::logic_error);
    const widgets::Place wrongParent[] = {
        {"Form", nullptr, Dock::none, {0, 0, 10, 10}},
        {"B", "Form", Dock::none, {0, 0, 1, 1}},
    };
    EXPECT_THROW(widgets::applyLayout(&form, wrongParent), std::logic_error);
}

}  // namespace
