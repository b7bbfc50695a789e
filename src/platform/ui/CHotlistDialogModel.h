#pragma once

#include <cstddef>
#include <optional>
#include <string>

// What the "Edit Hotlist" dialog shows besides its list: which buttons can be
// pressed and the URL of the selected entry.
struct HotlistButtons {
    bool moveUp = false;
    bool moveDown = false;
    bool editItem = false;
    bool deleteItem = false;
    bool openUrl = false;
    std::string url;
    bool operator==(const HotlistButtons&) const = default;
};

// The two fields of the item dialog.
struct HotlistItemFields {
    std::string title;
    std::string url;
};

// How the "Edit Hotlist" dialog was closed.
enum class HotlistDialogResult { Ok, Cancel, OpenUrl };

// The logic of the "Edit Hotlist" dialog, which a backend's dialog shows and
// hands the user's actions to. The list box always shows the working list's
// titles in order. UI thread only.
class CHotlistDialogModel {
public:
    // The item dialog's caption when it makes a new entry, and otherwise.
    static constexpr const char* NewItemCaption = "New Bookmark";
    static constexpr const char* EditItemCaption = "Edit Hotlist";
    static constexpr const char* Caption = "Edit Hotlist";

    virtual ~CHotlistDialogModel() = default;
    [[nodiscard]] virtual size_t Count() const = 0;
    [[nodiscard]] virtual std::string Title(size_t index) const = 0;
    [[nodiscard]] virtual std::optional<size_t> Selection() const = 0;
    // A selection outside the list selects nothing.
    virtual void Select(std::optional<size_t> index) = 0;
    [[nodiscard]] virtual HotlistButtons Buttons() const = 0;
    // The actions of the buttons; each does nothing while its button is
    // disabled.
    virtual void DeleteItem() = 0;
    virtual void MoveUp() = 0;
    virtual void MoveDown() = 0;
    // The item dialog for "Edit Item...": the selected entry's fields.
    [[nodiscard]] virtual HotlistItemFields EditItemFields() const = 0;
    virtual void ApplyEditItem(const HotlistItemFields& fields) = 0;
    // The item dialog for "New Item...": the current page's title and URL.
    [[nodiscard]] virtual HotlistItemFields NewItemFields() const = 0;
    virtual void ApplyNewItem(const HotlistItemFields& fields) = 0;
    // "Open URL" or a double click: remembers the selected entry's URL;
    // true when the dialog is to close with HotlistDialogResult::OpenUrl.
    [[nodiscard]] virtual bool ChooseOpenUrl() = 0;
};
