#include "upload/http_upload.h"

#include <cstring>

#include "base/trace.h"
#include "upload/http_object.h"

Json BuildUploadDocument(const HttpUploadSettings& s, const std::vector<UploadRecord>& records) {
  Json doc;
  doc.GetProperty(u"username", true)->operator=(s.userName.Handle());
  doc.GetProperty(u"password", true)->operator=(s.password.Handle());
  doc.GetProperty(u"dwbh", true)->operator=(s.unitCode.Handle());
  doc.GetProperty(u"dwmc", true)->operator=(s.unitName.Handle());
  Json* details = doc.SetPropertyArray(u"details");
  for (const UploadRecord& r : records) {
    Json* item = details->AddArrayElm();
    item->SetPropertyStr(u"yangpinmingcheng", r.columns[1].Handle());
    item->SetPropertyStr(u"jianyanjielun", r.columns[2].Handle());
    item->SetPropertyStr(u"jiancejieguo", r.columns[3].Handle());
    item->SetPropertyStr(u"shoujiandanwei", r.columns[4].Handle());
    item->SetPropertyStr(u"jianceriqi", r.columns[9].Handle());
    item->SetPropertyStr(u"jianceren", r.columns[7].Handle());
    item->SetPropertyStr(u"jiancexiangmu", u"农药残留");
    item->SetPropertyStr(u"jianyanleibie", u"安全检测");
    item->SetPropertyStr(u"yangpinbianhao", r.columns[9].Left(4).Handle());
  }
  return doc;
}

std::string BuildUploadBody(const Json& document) {
  String text = document.ToText(true);
  Trace(u"%s", text.Handle());
  UrlEncode(text);
  const String body = u"data=" + text;
  Trace(u"%s", body.Handle());
  return body.ToBytes(cp::kAnsi);
}

String DecodeReplyText(const Memory<char>& reply, int length) {
  if (length <= 0) return String(u"");
  const char* bytes = reply.Data();
  size_t n = strnlen(bytes, static_cast<size_t>(length));
  if (n >= 3 && std::memcmp(bytes, "\xEF\xBB\xBF", 3) == 0) {
    bytes += 3;
    n -= 3;
  }
  return String::FromBytes(std::string(bytes, n), cp::kUtf8);
}

void RunHttpUpload(const HttpUploadSettings& settings, const std::vector<UploadRecord>& records,
                   UploadHost& host, UploadAbort& abort) {
  HttpObject http;
  http.SetAgent(u"pelmora http request component 1.0");
  http.SetAbortFlag(&abort.Flag());
  http.Open();
  http.SetUrl(settings.url);
  http.SetMethod(u"POST");
  http.OpenRequest();
  if (http.HasRequest()) http.AddHeader(u"Content-Type: application/x-www-form-urlencoded");
  const std::string body = BuildUploadBody(BuildUploadDocument(settings, records));
  Memory<char> reply;
  const int length = http.Send(body.data(), static_cast<int>(body.size()), reply);
  const String text = DecodeReplyText(reply, length);
  Trace(u"%s", text.Handle());
  if (!abort.Requested()) host.ShowUploadMessage(text, false);
}
