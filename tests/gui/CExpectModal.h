#pragma once
// Expectations of modal dialogs for wxTEST_DIALOG, for any dialog class T.

#include <functional>
#include <utility>

#include <wx/testing.h>

// A dialog of class T must come up; it is closed at once with result, without running its own OK
// handling.
template <class T>
class CExpectDialog : public wxExpectModalBase<T, CExpectDialog<T>> {
public:
    explicit CExpectDialog(int result) : m_result(result) {}

protected:
    int OnInvoked(T*) const override { return m_result; }

private:
    int m_result;
};

// A dialog of class T must come up; look is shown it and says how it closes.
template <class T>
class CExpectModalCall : public wxExpectModalBase<T, CExpectModalCall<T>> {
public:
    explicit CExpectModalCall(std::function<int(T*)> look) : m_look(std::move(look)) {}

protected:
    int OnInvoked(T* dialog) const override { return m_look(dialog); }

private:
    std::function<int(T*)> m_look;
};
