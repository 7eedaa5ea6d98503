#pragma once

#include <string>
#include <vector>

#include "base/json.h"
#include "base/memory.h"
#include "upload/http_object.h"
#include "upload/upload_request.h"

struct HttpUploadSettings {
  String url;
  String userName, password, unitCode, unitName;
  // Not empty: a reply accepts the post only when it holds this text too
  // (servers that answer 200 with an error code in the body).
  String okText;
};

// Whether a post's reply accepts its records: a 2xx status, a whole reply,
// and `okText` in it when one is set. Empty when accepted, else why not.
String HttpAcceptanceProblem(long status, bool incomplete, const String& reply,
                             const String& okText);

// The upload document: the account and unit fields, then "details" with nine
// members per record, in upload order.
Json BuildUploadDocument(const HttpUploadSettings& settings,
                         const std::vector<UploadRecord>& records);

// The form body: "data=" and the document's pretty text, form-encoded.
std::string BuildUploadBody(const Json& document);

// The reply body as UTF-8 text: a leading byte-order mark skipped, ending at
// the first zero byte; empty for a failed request (length below 1).
String DecodeReplyText(const Memory<char>& reply, int length);

// The box text for an HTTP upload's outcome: the reply (its first
// kShownReplyChars characters, with a note when it was cut), or, when the
// request failed, the reason and the URL. `length` and `cut` as Send gave them.
constexpr uint32_t kShownReplyChars = 2000;
String HttpOutcomeText(int length, const String& reply, bool cut, HttpObject::Failure failure,
                       const String& url);

// Why a reply is no answer: a status outside 2xx (a redirect included), or a
// body the connection cut short. Empty for an answer.
String HttpReplyProblem(long status, bool incomplete);

// One HTTP upload on the calling worker thread: one form post per device ID
// the records were captured under; the server's replies are shown in one box,
// with the error icon when a post failed or got no proper answer. Every
// record of an accepted post is reported accepted (ShowUploadReply).
void RunHttpUpload(const HttpUploadSettings& settings, const std::vector<UploadRecord>& records,
                   UploadHost& host, UploadAbort& abort);
