#include "operatorsessions.h"

#include <QRandomGenerator>

namespace {

HttpReply jsonError(int status, const QByteArray& text) {
    return {R"({"error":")" + text + R"("})", "application/json", status};
}

} // namespace

OperatorSessions::OperatorSessions(PinCheck check)
    : mCheck(std::move(check)) {}

HttpReply OperatorSessions::logIn(const HttpRequest& request, const QString& address) {
    const QString pin = QString::fromUtf8(request.value(PinHeader));
    switch (mCheck(address, pin)) {
    case Verdict::Refused:
        return jsonError(429, "Too many wrong PINs: try again in a minute.");
    case Verdict::Wrong:
        return jsonError(401, "Wrong operator PIN.");
    case Verdict::Right:
        break;
    }
    quint32 words[8];
    QRandomGenerator::system()->fillRange(words);
    const QByteArray token = QByteArray(reinterpret_cast<const char*>(words), sizeof words).toHex();
    if (mTokens.size() >= MaxSessions)
        mTokens.removeFirst();
    mTokens.append(token);
    HttpReply reply(R"({"ok":true})");
    // No Max-Age nor Expires: the browser forgets it when it closes.
    reply.headers.emplaceBack("Set-Cookie", QByteArray(CookieName) + '=' + token +
                                                "; Path=/; HttpOnly; SameSite=Strict");
    return reply;
}

HttpReply OperatorSessions::logOut(const HttpRequest& request) {
    mTokens.removeAll(tokenOf(request));
    HttpReply reply(R"({"ok":true})");
    reply.headers.emplaceBack("Set-Cookie", QByteArray(CookieName) +
                                                "=; Path=/; HttpOnly; SameSite=Strict; Max-Age=0");
    return reply;
}

bool OperatorSessions::isLoggedIn(const HttpRequest& request) const {
    const QByteArray token = tokenOf(request);
    return !token.isEmpty() && mTokens.contains(token);
}

HttpReply OperatorSessions::unauthorized() {
    return jsonError(401, "Operator log-in needed.");
}

QByteArray OperatorSessions::tokenOf(const HttpRequest& request) {
    const QByteArray prefix = QByteArray(CookieName) + '=';
    for (const auto& [name, value] : request.headers) {
        if (name != "cookie")
            continue;
        for (const QByteArray& part : value.split(';')) {
            const QByteArray cookie = part.trimmed();
            if (cookie.startsWith(prefix))
                return cookie.mid(prefix.size());
        }
    }
    return {};
}
