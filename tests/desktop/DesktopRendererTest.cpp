#include <gtest/gtest.h>

#include <QApplication>
#include <QGuiApplication>
#include <QLabel>
#include <QLayout>
#include <QProgressBar>
#include <QPushButton>
#include <QScreen>
#include <QScrollBar>

#include "platform/desktop/DesktopStyle.h"
#include "platform/desktop/PanelWindow.h"
#include "platform/desktop/TrayIcon.h"
#include "platform/desktop/WidgetRenderer.h"
#include "platform/desktop/Widgets.h"
#include "tests/Machines.h"
#include "tests/MonitorHarness.h"
#include "tests/QuitRecorder.h"
#include "ui/PanelView.h"
#include "ui/QuimboApp.h"

namespace quimbo::desktop {
namespace {

// What `widget` shows in the order its layouts hold it, after `out`: texts,
// [buttons], and bars by their value in thousandths.
std::vector<std::string> contents(QWidget* w, std::vector<std::string> out = {}) {
  if (auto* label = qobject_cast<QLabel*>(w)) out.push_back(label->text().toStdString());
  if (auto* button = qobject_cast<QPushButton*>(w))
    out.push_back("[" + button->text().toStdString() + "]");
  if (auto* bar = qobject_cast<QProgressBar*>(w)) out.push_back(std::to_string(bar->value()));
  if (QLayout* layout = w->layout()) {
    for (int i = 0; i < layout->count(); ++i) {
      if (QWidget* child = layout->itemAt(i)->widget()) out = contents(child, std::move(out));
    }
  }
  return out;
}

// The first of the window's widgets of type W that shows `text`.
template <typename W = QLabel>
W* findWidget(const QWidget& window, const char* text) {
  for (W* w : window.findChildren<W*>()) {
    if (w->text() == QString::fromUtf8(text)) return w;
  }
  return nullptr;
}

using testing::kTwoFansMachine;
using testing::QuitRecorder;

constexpr const char* kNote =
    "Fan kontrolü Apple Silicon'da donanımsal olarak kilitli — Quimbo izleme yapar.";

// The colour a label's text is drawn in, as #aarrggbb.
std::string colourOf(const QLabel* label) {
  return label->palette().color(QPalette::WindowText).name(QColor::HexArgb).toStdString();
}

TEST(DesktopRenderer, ShowsEachTextStyledAndUpdatesInPlaceOrBuildsAnewForAnotherShape) {
  testing::MonitorHarness h(kTwoFansMachine);
  const auto mon = h.make();
  QuitRecorder quit;
  QWidget host;
  WidgetRenderer renderer(&host);
  renderer.show(ui::PanelView(*mon, quit).body());
  EXPECT_EQ(contents(&host),
            (std::vector<std::string>{"Quimbo", "91°C",          "CPU",   "72°C",
                                      "GPU",    "91°C",          "SSD",   "41°C",
                                      "Ortam",  "30°C",          "Fan 1", "1999 RPM",
                                      "250",    "1000–5000 RPM", "Fan 2", "6000 RPM",
                                      "1000",   "1000–5000 RPM", kNote,   "her 2 sn güncellenir",
                                      "[Çıkış]"}));
  QLabel* header = findWidget(host, "91°C");
  EXPECT_EQ(colourOf(header), "#ffeb3228") << "the header is red at 91";
  EXPECT_TRUE(header->font().bold());
  EXPECT_EQ(colourOf(findWidget(host, kNote)), "#8c000000") << "the note is secondary";
  EXPECT_TRUE(findWidget(host, kNote)->wordWrap());
  for (QPushButton* button : host.findChildren<QPushButton*>()) button->click();
  EXPECT_EQ(quit.quits, 1) << "Çıkış quits";

  h.smc.setMachine(
      MachineFile::parse(std::string(kTwoFansMachine) + "Tg0j \"flt \" = 95\n", "test"));
  mon->poll();
  renderer.show(ui::PanelView(*mon, quit).body());
  EXPECT_EQ(renderer.builds(), 1) << "same shape: no widget made anew";
  EXPECT_EQ(header->text().toStdString(), "95°C") << "the same label, new text";

  testing::NoSmcHarness noSmc;
  renderer.show(ui::PanelView(*noSmc.make(), quit).body());
  EXPECT_EQ(renderer.builds(), 2);
  EXPECT_EQ(contents(&host), (std::vector<std::string>{"Quimbo", "SMC'ye erişilemedi", kNote,
                                                       "her 2 sn güncellenir", "[Çıkış]"}));
  EXPECT_EQ(colourOf(findWidget(host, "SMC'ye erişilemedi")), "#fff08c00")
      << "the notice is orange";
}

TEST(DesktopPanelWindow, StaysInTheRoomBesideItsItemAndScrollsTheFansOnly) {
  const QRect screen = QGuiApplication::primaryScreen()->availableGeometry();  // 800x600
  testing::MonitorHarness h(testing::fansMachine(12));
  const auto mon = h.make();
  QuitRecorder quit;
  const ui::PanelView view(*mon, quit);
  PanelWindow panel;
  panel.render(view.body(), view.fanList());
  ASSERT_GT(panel.height(), screen.height()) << "twelve fans need more than the screen";
  const auto inView = [&](const QWidget* w) {
    return w && panel.rect().contains(QRect(w->mapTo(&panel, QPoint(0, 0)), w->size()));
  };

  struct Case {
    QRect item;
    bool below;
  };
  for (const Case c : {Case{QRect(700, 0, 80, 22), true}, Case{QRect(700, 578, 80, 22), false}}) {
    panel.dropDownFrom(c.item);
    const QRect placed = panel.geometry();
    EXPECT_FALSE(placed.intersects(c.item)) << "the panel covers its item";
    EXPECT_TRUE(screen.contains(placed)) << "the panel runs off the screen";
    EXPECT_EQ(c.below ? placed.top() : placed.bottom(), c.below ? 22 : 577);
    EXPECT_EQ(placed.width(), 260);
    EXPECT_TRUE(inView(findWidget(panel, "Quimbo"))) << "the header out of view";
    EXPECT_TRUE(inView(findWidget<QPushButton>(panel, "Çıkış"))) << "Çıkış out of view";
    EXPECT_GT(panel.fanArea().verticalScrollBar()->maximum(), 0) << "the fans do not scroll";
    panel.hide();
  }

  // A new pass updates the fans where they are and keeps the scroll position.
  panel.dropDownFrom(QRect(700, 0, 80, 22));
  QScrollBar& bar = *panel.fanArea().verticalScrollBar();
  bar.setValue(bar.maximum());
  QLabel* last = findWidget(panel, "2600 RPM");
  ASSERT_NE(last, nullptr);
  std::string faster = testing::fansMachine(12);
  faster.replace(faster.find("= 2600"), 6, "= 2700");
  h.smc.setMachine(MachineFile::parse(faster, "test"));
  mon->poll();
  panel.render(view.body(), view.fanList());
  EXPECT_EQ(last->text(), QStringLiteral("2700 RPM")) << "the same label, new text";
  EXPECT_EQ(bar.value(), bar.maximum());

  // Two fans fit: the panel takes its natural height, nothing scrolls.
  testing::MonitorHarness two(kTwoFansMachine);
  const auto twoMon = two.make();
  const ui::PanelView twoView(*twoMon, quit);
  panel.render(twoView.body(), twoView.fanList());
  EXPECT_LT(panel.height(), 578);
  EXPECT_EQ(panel.fanArea().verticalScrollBar()->maximum(), 0);
}

// The rows of `image` that hold ink, as [first, last] runs.
std::vector<std::pair<int, int>> inkedRows(const QImage& image) {
  std::vector<std::pair<int, int>> runs;
  bool inRun = false;
  for (int y = 0; y < image.height(); ++y) {
    bool inked = false;
    for (int x = 0; x < image.width() && !inked; ++x) inked = qAlpha(image.pixel(x, y)) > 0;
    if (inked && !inRun) runs.push_back({y, y});
    if (inked) runs.back().second = y;
    inRun = inked;
  }
  return runs;
}

TEST(DesktopLabel, TheTrayIconStacksTheLabelOrDrawsTheThermometer) {
  testing::MonitorHarness h("FNum \"ui8 \" 01\nF0Ac \"flt \" = 1840\nTp01 \"flt \" = 57.8\n");
  const auto mon = h.make();
  const ui::View label = ui::QuimboApp::menuBarLabel(*mon);
  const ui::View thermometer = ui::View(ui::Image{"thermometer.medium", {}});
  EXPECT_EQ(labelText(label).toStdString(), "57° · 1840");
  EXPECT_TRUE(labelText(thermometer).isEmpty());
  for (const int size : {22, 64}) {
    const QImage drawn = trayIcon(label).pixmap(size).toImage();
    EXPECT_EQ(drawn.size(), QSize(size, size));
    const auto rows = inkedRows(drawn);
    ASSERT_EQ(rows.size(), 2u) << "\"57°\" over \"1840\" at " << size;
    EXPECT_LT(rows[0].second, size / 2) << "the temperature in the upper half";
    EXPECT_GE(rows[1].first, size / 2) << "the fan speed in the lower half";
    EXPECT_GT(rows[1].second - rows[1].first, size / 4) << "digits as tall as the room allows";
    const auto symbolRows = inkedRows(trayIcon(thermometer).pixmap(size).toImage());
    ASSERT_EQ(symbolRows.size(), 1u) << "the symbol is drawn, in one piece";
    EXPECT_GT(symbolRows[0].second - symbolRows[0].first, size / 2);
  }
}

}  // namespace
}  // namespace quimbo::desktop

int main(int argc, char** argv) {
  qputenv("QT_QPA_PLATFORM", "offscreen");
  QApplication application(argc, argv);
  ::testing::InitGoogleTest(&argc, argv);
  return RUN_ALL_TESTS();
}
