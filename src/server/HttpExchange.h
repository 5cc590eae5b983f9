#pragma once

#include <functional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

// One request as the HTTP layer read it, and the reply a handler gives for it. Plain types, so
// that the addresses and pages know nothing of the library that speaks HTTP.
struct HttpRequest
{
    std::string method; // "GET", "HEAD", ...
    std::string target; // the path and the query, as sent
    std::string host;   // the Host header; empty when there was none

    std::string_view path() const { return std::string_view(target).substr(0, target.find('?')); }
    // What follows the first "?"; empty when there is none.
    std::string_view query() const
    {
        const size_t question = target.find('?');
        return question == std::string::npos ? std::string_view() : std::string_view(target).substr(question + 1);
    }
};

struct HttpReply
{
    int status = 200;
    std::string contentType;
    std::vector<std::pair<std::string, std::string>> headers;
    std::string body;
};

// Takes the reply to a request; called once, from any thread.
using HttpResponder = std::function<void(HttpReply)>;
// Answers a request, at once or later through the responder. It runs on the event loop, so
// it must not wait for anything (a database above all): such work goes to other threads.
using HttpHandler = std::function<void(HttpRequest, HttpResponder)>;
