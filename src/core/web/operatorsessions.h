#pragma once

#include "httpreply.h"
#include "httprequest.h"

#include <QByteArray>
#include <QList>
#include <QString>

#include <functional>

// Who may see the operator's pages: browsers that logged in with the operator
// PIN. A log-in gets a random token, kept here in memory only, that the
// browser holds as a cookie until it closes (HttpOnly, so no script of a page
// can read it; SameSite=Strict, so no other site's page can send it along).
// A restart of the program, or a change of the operator PIN, logs every
// operator out.
class OperatorSessions {
public:
    static constexpr auto CookieName = "tallvane_operator";
    static constexpr auto PinHeader = "x-operator-pin";
    // Tokens kept at most; the oldest goes first.
    static constexpr qsizetype MaxSessions = 64;

    enum class Verdict { Right, Wrong, Refused };
    // Checks a PIN from an address (and counts it toward the PIN throttle).
    using PinCheck = std::function<Verdict(const QString& address, const QString& pin)>;

    explicit OperatorSessions(PinCheck check);

    // The log-in answer to a request from `address` carrying the PIN in
    // the PinHeader field: a cookie, or 401 / 429 with a short JSON error.
    HttpReply logIn(const HttpRequest& request, const QString& address);
    // Forgets the request's session: its cookie is cleared.
    HttpReply logOut(const HttpRequest& request);
    bool isLoggedIn(const HttpRequest& request) const;
    // The answer for a request that is not logged in.
    static HttpReply unauthorized();
    // Everybody logs in again (the operator PIN changed).
    void clear() { mTokens.clear(); }
    qsizetype count() const { return mTokens.size(); }

private:
    static QByteArray tokenOf(const HttpRequest& request);

    PinCheck mCheck;
    QList<QByteArray> mTokens; // oldest first
};
