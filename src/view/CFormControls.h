#pragma once

#include "document/CTarnwickDoc.h"
#include "view/CFormControlMap.h"
#include "view/CFormSubmission.h"

#include <cstdint>
#include <functional>
#include <map>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

class CLayoutEngine;
class CViewWindow;

// The forms of the page a view shows: one child control per visible field,
// kept where the layout puts it, and what clicks on them mean (radio
// groups, reset, submit). UI thread only.
class CFormControls {
public:
    static constexpr uint32_t FirstCommandId = 10000;

    explicit CFormControls(CViewWindow& window) : m_window(window) {}
    ~CFormControls() { Clear(); }
    CFormControls(const CFormControls&) = delete;
    CFormControls& operator=(const CFormControls&) = delete;

    // Makes the controls of fields laid out since the last call and moves
    // those whose place changed (a relayout, a table cell put in place).
    void Update(CLayoutEngine& layout);
    // What the user did to the control with that id: the request that
    // submits its form, when the event submits one.
    [[nodiscard]] std::optional<NavigateRequest> OnEvent(uint32_t commandId,
                                                         FormControlEvent event);
    // Destroys every control and forgets the page's fields.
    void Clear();

    [[nodiscard]] std::optional<NavigateRequest> Submit(size_t form);
    void Reset(size_t form);

    // Every field of the page in document order.
    void ForEachInDocumentOrder(const std::function<void(const CFormControlRecord&)>& visit) const;

    enum class ChooseResult { Done, NoList, NoOption };
    // As if the user chose the option shown as text in the first list or
    // drop-down list called name: it becomes the current one, or in a list
    // of several selections its selection toggles.
    ChooseResult ChooseOption(std::string_view name, std::string_view text);

private:
    void Create(CFormControlRecord& record);
    [[nodiscard]] CFormControlSpec SpecFor(const CFormControlRecord& record) const;
    void SetInitialState(CFormControlRecord& record);
    void SelectRadio(CFormControlRecord& radio);
    void AddPairs(CFormControlRecord& record, std::vector<FormPair>& pairs);
    // Enter in a one-line field submits its form when the form has a
    // submit button or no other one-line field.
    [[nodiscard]] bool SubmitsOnEnter(size_t form) const;

    CViewWindow& m_window;
    CFormControlMap m_map;
    // A radio group's name -> its default radio while no radio of the group
    // has been selected; null once one has.
    std::map<std::string, CFormControlRecord*> m_radioGroups;
    uint32_t m_nextCommandId = FirstCommandId;
    // The page's forms by their place among the layout's form records.
    std::vector<CFormTarget> m_forms;
    // The records in the order they were made, which is document order.
    std::vector<CFormControlRecord*> m_inOrder;
};
