// The toolkit's side of popup menus: a QMenu built from the item tree at every
// popup, whose actions find their items by number, so that the menu may
// outlive any item (or the popup menu itself) safely.
#include <QAction>
#include <QIcon>
#include <QImage>
#include <QKeySequence>
#include <QMenu>
#include <QPixmap>
#include <QPointer>

#include <unordered_map>

#include "platform/controls/controls_qt.h"
#include "platform/controls/menus.h"
#include "platform/core/codepages.h"
#include "platform/graphics/imagelist.h"
#include "platform/graphics/pixelbuffer_qt.h"
#include "platform/graphics/qtsupport.h"

struct TPopupMenuQt {
    QPointer<QMenu> Menu;
    std::unordered_map<uint64_t, QPointer<QAction>> Actions;

    void Discard();
};

namespace {

// How many menu actions are running their item's Click now; a menu is deleted
// only later while one is, since its action is still on the call stack.
int dispatching = 0;

QString ToQString(const AnsiString& text)
{
    WideString wide = AnsiToWide(text);
    return QString::fromUtf16(wide.data(), static_cast<qsizetype>(wide.size()));
}

QKeySequence KeyOfShortCut(TShortCut shortCut)
{
    unsigned vk = shortCut & 0xFF;
    int key = 0;
    if ((vk >= 'A' && vk <= 'Z') || (vk >= '0' && vk <= '9'))
        key = static_cast<int>(vk); // the toolkit's codes of letters and digits are their ASCII codes
    else if (vk >= 0x70 && vk <= 0x87)
        key = Qt::Key_F1 + static_cast<int>(vk - 0x70);
    else {
        static const std::pair<unsigned, int> named[] = {
            {0x08, Qt::Key_Backspace}, {0x09, Qt::Key_Tab},    {0x0D, Qt::Key_Return},
            {0x1B, Qt::Key_Escape},    {0x20, Qt::Key_Space},  {0x21, Qt::Key_PageUp},
            {0x22, Qt::Key_PageDown},  {0x23, Qt::Key_End},    {0x24, Qt::Key_Home},
            {0x25, Qt::Key_Left},      {0x26, Qt::Key_Up},     {0x27, Qt::Key_Right},
            {0x28, Qt::Key_Down},      {0x2D, Qt::Key_Insert}, {0x2E, Qt::Key_Delete},
        };
        for (const auto& entry : named)
            if (entry.first == vk)
                key = entry.second;
    }
    if (key == 0)
        return QKeySequence();
    int modifiers = 0;
    if (shortCut & scShift)
        modifiers |= Qt::SHIFT;
    if (shortCut & scCtrl)
        modifiers |= Qt::CTRL;
    if (shortCut & scAlt)
        modifiers |= Qt::ALT;
    return QKeySequence(key | modifiers);
}

QIcon IconOfImage(const TCustomImageList* images, int index)
{
    if (!images || index < 0 || index >= images->Count())
        return QIcon();
    return QIcon(QPixmap::fromImage(ImageOfPixels(images->Image(index))));
}

void ApplyState(QAction* action, const TMenuItem* item, const TCustomImageList* images)
{
    QString text = ToQString(item->Caption());
    QKeySequence key = KeyOfShortCut(item->ShortCut());
    if (!key.isEmpty())
        text += '\t' + key.toString(QKeySequence::NativeText);
    action->setText(text);
    action->setEnabled(item->Enabled());
    action->setCheckable(item->Checked() || item->RadioItem());
    action->setChecked(item->Checked());
    action->setIcon(IconOfImage(images, item->ImageIndex()));
}

void DeleteMenu(QMenu* menu)
{
    if (dispatching > 0)
        menu->deleteLater();
    else
        delete menu;
}

void BuildItems(TPopupMenuQt& qt, QMenu* menu, const TMenuItem* parent, const TCustomImageList* images)
{
    for (int i = 0; i < parent->Count(); ++i) {
        const TMenuItem* item = parent->Items(i);
        if (!item->Visible())
            continue;
        QAction* action;
        if (item->IsLine()) {
            action = menu->addSeparator();
        } else if (item->Count() > 0) {
            QMenu* sub = menu->addMenu(QString());
            BuildItems(qt, sub, item, images);
            action = sub->menuAction();
            ApplyState(action, item, images);
        } else {
            action = menu->addAction(QString());
            ApplyState(action, item, images);
            uint64_t id = item->ID();
            QPointer<QMenu> top = qt.Menu;
            QObject::connect(action, &QAction::triggered, [id, top]() {
                // The item is chosen once its menu is gone from the screen.
                if (top)
                    top->hide();
                TMenuItem* chosen = TMenuItem::FindByID(id);
                if (!chosen)
                    return;
                ++dispatching;
                // An exception must not cross the toolkit's signal.
                RunGuarded(chosen, [chosen]() { chosen->Click(); });
                --dispatching;
            });
        }
        action->setData(QVariant::fromValue<qulonglong>(item->ID()));
        qt.Actions[item->ID()] = action;
    }
}

} // namespace

void TPopupMenuQt::Discard()
{
    if (Menu) {
        Menu->hide();
        // Actions of a menu that is going must call no item any more.
        for (QAction* action : Menu->findChildren<QAction*>())
            QObject::disconnect(action, nullptr, nullptr, nullptr);
        DeleteMenu(Menu);
    }
    Menu = nullptr;
    Actions.clear();
}

void TPopupMenuQtDeleter::operator()(TPopupMenuQt* qt) const
{
    qt->Discard();
    delete qt;
}

void TPopupMenu::ShowMenu(int x, int y)
{
    EnsureQtApplication();
    if (!FQt)
        FQt.reset(new TPopupMenuQt);
    FQt->Discard();
    FQt->Menu = new QMenu();
    BuildItems(*FQt, FQt->Menu, FItems.get(), FImages);
    FQt->Menu->popup(QPoint(x, y));
}

void TPopupMenu::CloseMenu()
{
    if (FQt && FQt->Menu)
        FQt->Menu->hide();
}

bool TPopupMenu::IsShown() const
{
    return FQt && FQt->Menu && FQt->Menu->isVisible();
}

void TPopupMenu::ItemChanged(TMenuItem* item, bool structure)
{
    if (!IsShown())
        return;
    if (structure) {
        FQt->Discard();
        return;
    }
    auto found = FQt->Actions.find(item->ID());
    if (found != FQt->Actions.end() && found->second && !item->IsLine())
        ApplyState(found->second, item, FImages);
}

std::vector<TShownMenuEntry> TPopupMenu::ShownEntries(const TMenuItem* parent) const
{
    std::vector<TShownMenuEntry> entries;
    if (!IsShown())
        return entries;
    QMenu* menu = FQt->Menu;
    if (parent && parent != FItems.get()) {
        auto found = FQt->Actions.find(parent->ID());
        menu = (found != FQt->Actions.end() && found->second) ? found->second->menu() : nullptr;
        if (!menu)
            return entries;
    }
    for (QAction* action : menu->actions()) {
        TShownMenuEntry entry;
        entry.ItemID = action->data().toULongLong();
        QByteArray text = action->text().toUtf8();
        entry.Text = WideToAnsi(UTF8Decode(AnsiString(text.constData(), static_cast<size_t>(text.size()))));
        entry.Separator = action->isSeparator();
        entry.Enabled = action->isEnabled();
        entry.Checked = action->isChecked();
        entry.HasImage = !action->icon().isNull();
        entry.HasSubMenu = action->menu() != nullptr;
        entries.push_back(entry);
    }
    return entries;
}

bool TPopupMenu::ChooseShownItem(const TMenuItem* item)
{
    if (!item || !IsShown())
        return false;
    auto found = FQt->Actions.find(item->ID());
    if (found == FQt->Actions.end() || !found->second)
        return false;
    QAction* action = found->second;
    if (action->isSeparator() || action->menu() || !action->isEnabled())
        return false;
    // A disabled sub-menu keeps its items from being chosen.
    for (const TMenuItem* above = item->Parent(); above && above != FItems.get(); above = above->Parent()) {
        auto parent = FQt->Actions.find(above->ID());
        if (parent == FQt->Actions.end() || !parent->second || !parent->second->isEnabled())
            return false;
    }
    action->trigger();
    return true;
}
