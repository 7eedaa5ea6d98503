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

String HttpOutcomeText(int length, const String& reply, bool cut, HttpObject::Failure failure,
                       const String& url) {
  if (length < 0) {
    String reason;
    switch (failure) {
      case HttpObject::Failure::kResolve:
        reason = u"无法解析服务器网址，请检查上传网址和网络";
        break;
      case HttpObject::Failure::kConnect:
        reason = u"无法连接服务器，请检查上传网址、服务器是否运行和网络";
        break;
      case HttpObject::Failure::kTimeout:
        reason = u"服务器没有及时回复，请稍后再试";
        break;
      case HttpObject::Failure::kCertificate:
        reason = u"无法建立安全连接：服务器的证书不受信任或加密协商失败，请联系服务器管理员";
        break;
      case HttpObject::Failure::kAborted:
        reason = u"上传已停止，服务器可能没有收到数据";
        break;
      default:
        reason = u"上传失败，请检查上传网址和网络";
        break;
    }
    return reason + u"\n" + url;
  }
  if (!cut && reply.Length() <= kShownReplyChars) return reply;
  int keep = static_cast<int>(kShownReplyChars);
  const char16_t last = reply.Element(static_cast<uint32_t>(keep - 1));
  if (last >= 0xD800 && last < 0xDC00) --keep;  // never half a character
  String shown = reply.Left(keep);
  String note;
  note.Format(u"\n……（服务器的回复过长，只显示了前 %d 个字）", static_cast<int>(kShownReplyChars));
  return shown + note;
}

String HttpReplyProblem(long status, bool incomplete) {
  String text(u"");
  if (status >= 300 && status < 400) {
    text.Format(u"服务器要求转到别的网址（HTTP %ld），数据没有上传，请检查上传网址", status);
  } else if (status != 0 && (status < 200 || status >= 300)) {
    text.Format(u"服务器返回错误（HTTP %ld），数据可能没有被接收，请稍后再试或联系服务器管理员",
                status);
  } else if (incomplete) {
    text = u"服务器的回复不完整（连接中途断开），数据可能没有被接收，请稍后再试";
  }
  return text;
}

String HttpAcceptanceProblem(long status, bool incomplete, const String& reply,
                             const String& okText) {
  if (status < 200 || status >= 300) {
    String text;
    text.Format(u"服务器返回 HTTP %ld，数据没有被接收", status);
    return status == 0 ? String(u"没有收到服务器的回复，数据没有被接收") : text;
  }
  const String problem = HttpReplyProblem(status, incomplete);
  if (!problem.IsEmpty()) return problem;
  if (!okText.IsEmpty() && reply.Find(okText.Handle()) < 0) {
    String text;
    text.Format(u"服务器的回复里没有成功标记“%s”，数据没有被算作已上传", okText.Handle());
    return text;
  }
  return String(u"");
}

namespace {

// One post; the text for the box, and whether it tells of a failure.
// `accepted`: the reply accepts every record of the post.
String PostOnce(const HttpUploadSettings& settings, const std::vector<UploadRecord>& records,
                UploadAbort& abort, bool& failed, bool& accepted) {
  accepted = false;
  HttpObject http;
  http.SetAgent(u"pelmora http request component 1.0");
  http.SetAbortFlag(&abort.StopFlag());
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
  if (length < 0) Trace(u"%hs", http.LastFailureDetail().c_str());
  const String outcome =
      HttpOutcomeText(length, text, http.ReplyCut(), http.LastFailure(), settings.url);
  failed = length < 0;
  // A status outside 2xx tells more than a send the server cut short after it.
  const long status = http.StatusCode();
  const bool badStatus = status != 0 && (status < 200 || status >= 300);
  if (failed && !badStatus) return outcome;
  const String problem = HttpReplyProblem(status, !failed && http.ReplyIncomplete());
  if (problem.IsEmpty()) {
    const String refusal = HttpAcceptanceProblem(status, false, text, settings.okText);
    accepted = refusal.IsEmpty();
    if (accepted) return outcome;
    failed = true;
    return refusal + u"\n" + outcome;
  }
  failed = true;
  return problem + u"\n" + settings.url + (length > 0 ? u"\n" + outcome : String(u""));
}

}  // namespace

void RunHttpUpload(const HttpUploadSettings& settings, const std::vector<UploadRecord>& records,
                   UploadHost& host, UploadAbort& abort) {
  const std::vector<std::vector<UploadRecord>> groups = GroupByDeviceId(records);
  String shown(u"");
  bool anyFailed = false;
  for (size_t g = 0; g < groups.size() || (g == 0 && groups.empty()); ++g) {
    const std::vector<UploadRecord>& group = groups.empty() ? records : groups[g];
    bool failed = false, accepted = false;
    const String outcome = PostOnce(settings, group, abort, failed, accepted);
    if (abort.Requested()) return;
    for (const UploadRecord& record : accepted ? group : std::vector<UploadRecord>()) {
      host.ShowUploadReply(record.serial, record.key, String(u"已上传"), true);
    }
    anyFailed = anyFailed || failed;
    if (groups.size() > 1) {
      String head;
      head.Format(u"设备 %s（%d 条）：", group.front().deviceId.Handle(),
                  static_cast<int>(group.size()));
      shown += (shown.IsEmpty() ? String(u"") : String(u"\n\n")) + head + u"\n" + outcome;
    } else {
      shown = outcome;
    }
    if (abort.StopRequested()) break;
  }
  host.ShowUploadMessage(shown, anyFailed);
}
