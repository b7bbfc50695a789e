#pragma once

#include "support/PipelineFixture.h"
#include "support/TempDir.h"

#include "controls/CTarnwickCntrItem.h"
#include "document/CTarnwickDoc.h"
#include "platform/CRegistry.h"
#include "platform/com/ComHost.h"
#include "ui/headless/CHeadlessViewWindow.h"
#include "view/CTarnwickView.h"

#include "OpfWriter.h"

#include <memory>
#include <string>
#include <vector>

// The class ids of the sample and test controls.
inline constexpr const char* kClockClass = "{BA276F7D-C61B-4F72-873A-E3FA6891A173}";
inline constexpr const char* kFetchClass = "{C43C3C6E-B18F-493A-9D35-0626E980DD69}";
inline constexpr const char* kNoEntryClass = "{8374DE9F-F102-4729-8E60-F45FF6AB9DA0}";
inline constexpr const char* kFactoryFailsClass = "{48BE51F0-BE80-4C9E-A129-EEA496FF0A0A}";
inline constexpr const char* kLoadFailsClass = "{9E4F1C83-E3AC-4FAF-A582-83EA42F25D25}";
inline constexpr const char* kGrowingClass = "{261831EE-7AC7-405D-B8ED-3351EAC3055A}";

// A document and its view in a window in memory, with the real HTML parser
// and layout, the object-property-file type, and a registry of its own in
// which the sample controls and the broken test controls are registered.
// Pages and property files are files in a temporary directory.
class ControlTest : public PipelineTest {
protected:
    ControlTest();
    ~ControlTest() override;

    std::string WritePage(const std::string& name, const std::string& html);
    // A property file of the class with the control's saved properties.
    std::string WriteOpf(const std::string& name, const std::string& classId,
                         std::vector<std::pair<std::string, std::string>> properties = {},
                         const std::string& width = "", const std::string& height = "");
    std::string WriteOpf(const std::string& name, const COpfContents& contents);
    std::string UrlOf(const std::string& name) const;
    std::string PathOf(const std::string& name) const;
    void NavigateAndSettle(const std::string& url);
    void Settle();
    [[nodiscard]] std::vector<CTarnwickCntrItem*> Items() { return m_view->Controls().Items(); }
    // The lines a sample control wrote to its log file.
    [[nodiscard]] std::vector<std::string> LogOf(const std::string& name) const;
    [[nodiscard]] ColorRef ScreenColor(CPoint point);
    // The centre of an item in window coordinates.
    [[nodiscard]] CPoint CentreOf(const CTarnwickCntrItem& item) const;

    TempDir m_dir;
    CRegistry m_registry;
    CComInitialization m_com{m_registry};
    std::vector<ContentTypeRegistration> m_controlTypes;
    CHeadlessViewWindow m_window{{400, 300}};
    std::unique_ptr<CTarnwickDoc> m_document;
    std::unique_ptr<CTarnwickView> m_view;
};
