#pragma once
// "Invia" on many Documents: the runner of export/BatchRun.h puts the register on each Document in
// turn and this step sends its file (the signed one when there is one) in its own message to the
// exchange system, through DocumentSender. Whether Documents already sent and not rejected leave
// again is asked once for the whole run ("Sì" for all, "No" skips them all, "Annulla" stops).
#include "channel/PecChannel.h"
#include "export/BatchRun.h"

namespace brevalto {
class DataModule;
class Prompt;
} // namespace brevalto

namespace brevalto::channel {

class SendStep {
public:
    // options.confirmAgain is replaced by the question asked once.
    SendStep(DataModule& data, Prompt& prompt, SendOptions options);
    batch::Result operator()();

    // Answered beforehand, so that the question is never asked.
    void answerBeforehand(bool sendAgain);

    // The question for the first Document already sent: what the plan says about its earlier
    // message, then how to treat it and the others alike.
    static QString againQuestion(const SendPlan& plan);

private:
    SendOptions withQuestion(SendOptions options);

    DataModule& data_;
    batch::OnceQuestion again_;
    bool stop_ = false;
    DocumentSender sender_;
};

} // namespace brevalto::channel
