#include "resultssnapshot.h"

bool ResultsSnapshot::add(const QString& key, const ApiReply& reply) {
    const qsizetype bytes = key.size() * 2 + reply.body.size() + reply.etag.size();
    if (mReplies.size() >= ResultsApi::MaxKeptReplies || mBytes + bytes > ResultsApi::MaxKeptBytes)
        return false;
    mBytes += bytes;
    mReplies.insert(key, reply);
    return true;
}

const ApiReply* ResultsSnapshot::find(const QString& key) const {
    const auto kept = mReplies.constFind(key);
    return kept == mReplies.constEnd() ? nullptr : &*kept;
}
