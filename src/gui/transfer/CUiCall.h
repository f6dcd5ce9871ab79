#pragma once
// Carries work from any thread to the UI thread, which owns every window.
//
// RunOnUi queues the call and returns. RunOnUiAndWait runs it on the UI thread and returns when it
// has run (at once when the caller is the UI thread itself). While the window closes (SetClosing),
// a waiting worker gives up instead of waiting for a UI thread that is waiting for it: its call is
// then never run, and it returns as if the user had dismissed the box.

#include <functional>

class CUiCall {
public:
    virtual ~CUiCall() = default;

    static void RunOnUi(std::function<void()> call);
    // True when the call ran, false when it was given up because the window is closing.
    static bool RunOnUiAndWait(const std::function<void()>& call);
    // A question put on the UI thread for a worker: ask's answer, or unanswered when it was given up.
    template <typename Answer>
    static Answer AskOnUi(const std::function<Answer()>& ask, Answer unanswered)
    {
        Answer answer = unanswered;
        RunOnUiAndWait([&ask, &answer] { answer = ask(); });
        return answer;
    }

    static void SetClosing(bool closing);
    static bool IsClosing();
};
