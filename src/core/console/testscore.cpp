#include "testscore.h"

#include "shell/prompter.h"

using namespace Qt::Literals::StringLiterals;

namespace TestScore {

bool send(Prompter& prompter, const QueueScore& queueScore, const QString& num, const QString& name,
          const QString& event, const QString& score, bool corrected) {
    if (num.isEmpty() || score.isEmpty()) {
        prompter.showMessage(u"Fill in all test fields before sending a test score."_s,
                             Prompter::Icon::Critical);
        return false;
    }
    if (queueScore)
        queueScore(num, name, event, score, corrected);
    return true;
}

} // namespace TestScore
