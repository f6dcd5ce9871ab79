#include "app/CMainMenu.h"

#include <string>

#include <wx/menu.h>

#include "app/CStringTable.h"
#include "app/CommandIds.h"
#include "app/StringIds.h"

using namespace skerrow;

namespace {

enum class ItemKind { Normal, Check, Separator };

struct MenuItem {
    int id;
    std::string label;
    ItemKind kind;
};

wxString Text(const std::string& utf8)
{
    return wxString::FromUTF8(utf8);
}

void Fill(wxMenu* menu, std::initializer_list<MenuItem> items)
{
    for (const MenuItem& item : items) {
        if (item.kind == ItemKind::Separator) {
            menu->AppendSeparator();
            continue;
        }
        const wxString label = Text(item.label);
        const wxString help = CMainMenu::Prompt(item.id);
        if (item.kind == ItemKind::Check)
            menu->AppendCheckItem(WxCommandId(item.id), label, help);
        else
            menu->Append(WxCommandId(item.id), label, help);
    }
}

const MenuItem kSeparator{0, std::string(), ItemKind::Separator};

wxMenu* FileMenu()
{
    auto* menu = new wxMenu;
    Fill(menu, {{ID_FILE_NEW, Tr("M57600", "&New\tCtrl+N"), ItemKind::Normal},
                {ID_FILE_OPEN, Tr("M57601", "&Open...\tCtrl+O"), ItemKind::Normal},
                {ID_FILE_SAVE, Tr("M57603", "&Save\tCtrl+S"), ItemKind::Normal},
                kSeparator,
                {ID_CONNECT, Tr("M32799", "&Connect"), ItemKind::Normal},
                {ID_SHUTDOWN_CONNECTION, Tr("M32800", "Shut&down Connection"), ItemKind::Normal},
                kSeparator,
                {ID_PROPERTIES, Tr("M32801", "&Properties"), ItemKind::Normal},
                kSeparator,
                {ID_APP_EXIT, Tr("M57665", "E&xit"), ItemKind::Normal}});
    return menu;
}

wxMenu* ViewMenu()
{
    auto* menu = new wxMenu;
    Fill(menu, {{ID_VIEW_TOOLBAR, Tr("M59392", "&Toolbar"), ItemKind::Check},
                {ID_VIEW_STATUS_BAR, Tr("M59393", "&Status Bar"), ItemKind::Check},
                {ID_VIEW_LOG, Tr("M32830", "&Log"), ItemKind::Check},
                kSeparator,
                {ID_NEXT_FAILED, Tr("M32832", "&Next Failed Row\tF8"), ItemKind::Normal},
                {ID_PREVIOUS_FAILED, Tr("M32833", "&Previous Failed Row\tShift+F8"), ItemKind::Normal},
                kSeparator,
                {ID_RESET, Tr("M32788", "&Re-set"), ItemKind::Normal}});
    return menu;
}

wxMenu* ToolsMenu()
{
    auto* menu = new wxMenu;
    Fill(menu, {kSeparator,
                {ID_FIND_FILES_TRANSFER, Tr("M32771", "F&ind Files &&Transfer"), ItemKind::Normal},
                {ID_FIND_FILES, Tr("M32772", "&Find Files"), ItemKind::Normal},
                {ID_FIND_LEFTOVERS, Tr("M32831", "Find Files and Server &Leftovers"), ItemKind::Normal},
                {ID_TRANSFER_DELETE, Tr("M32773", "&Transfer/Delete"), ItemKind::Normal},
                kSeparator,
                {ID_TREE_DELETE, Tr("M32792", "Tree &Delete (Find Files)"), ItemKind::Normal},
                kSeparator,
                {ID_STOP, Tr("M32774", "Sto&p"), ItemKind::Normal}});
    return menu;
}

wxMenu* LanguageMenu()
{
    auto* menu = new wxMenu;
    Fill(menu, {{ID_LANGUAGE_DEFAULT, Tr("M32823", "&Default"), ItemKind::Check},
                {ID_LANGUAGE_ENGLISH, Tr("M32824", "&English"), ItemKind::Check},
                {ID_LANGUAGE_FRENCH, Tr("M32825", "&French"), ItemKind::Check},
                {ID_LANGUAGE_GERMAN, Tr("M32806", "&German"), ItemKind::Check}});
    return menu;
}

wxMenu* HelpMenu()
{
    auto* menu = new wxMenu;
    Fill(menu, {{ID_APP_ABOUT, Tr("M57664", "&About Skerrow..."), ItemKind::Normal},
                {ID_HELP_INDEX, Tr("M32822", "&Help"), ItemKind::Normal}});
    return menu;
}

} // namespace

wxMenuBar* CMainMenu::Build()
{
    auto* bar = new wxMenuBar;
    bar->Append(FileMenu(), Text(Tr("MFile", "&File")));
    bar->Append(ViewMenu(), Text(Tr("MView", "&View")));
    bar->Append(ToolsMenu(), Text(Tr("MTools", "&Tools")));
    bar->Append(LanguageMenu(), Text(Tr("MLanguage", "&Language")));
    bar->Append(HelpMenu(), Text(Tr("MHelp", "&Help")));
    return bar;
}

wxString CMainMenu::Prompt(int commandId)
{
    const std::string text = LoadString(commandId);
    return Text(text.substr(0, text.find('\n')));
}

wxString CMainMenu::Tooltip(int commandId)
{
    const std::string text = LoadString(commandId);
    const size_t first = text.find('\n');
    if (first == std::string::npos)
        return wxString();
    const size_t second = text.find('\n', first + 1);
    return Text(text.substr(first + 1, second == std::string::npos ? std::string::npos : second - first - 1));
}
