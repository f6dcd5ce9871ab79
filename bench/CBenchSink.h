#pragma once
// Status pane and message boxes for the benchmark programs: keeps the status text, prints messages
// to stderr, answers every question Yes.

#include <cstdio>
#include <string>

#include "app/IStatusSink.h"
#include "app/IUserPrompt.h"

class CBenchSink : public skerrow::IStatusSink, public skerrow::IUserPrompt {
public:
    void SetStatusText(const std::string& text) override { m_status = text; }
    std::string GetStatusText() override { return m_status; }
    void SetPercentText(const std::string&) override {}
    void ShowMessage(const std::string& text, skerrow::PromptIcon, const std::string&) override
    {
        std::fprintf(stderr, "%s\n", text.c_str());
    }
    bool AskYesNo(const std::string&, skerrow::PromptIcon) override { return true; }

private:
    std::string m_status;
};
