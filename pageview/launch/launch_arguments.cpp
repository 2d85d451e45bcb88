#include "launch_arguments.h"

#include <QDebug>
#include <cstring>
#include <ctime>

#include "secure_wipe.h"
#include "token_age.h"

namespace pageview {

namespace {

constexpr char kArgumentCountError[] = "input param count error !";
constexpr char kMissingArgument[] = "param error !";
constexpr char kTokenKeyError[] = "launch token key error !";
constexpr char kNonceError[] = "iv base64 decode failed !";
constexpr int kExitLaunchFailed = 1;

enum Argument { kPath = 1, kToken, kNonce, kVariant, kKind, kWatermark };

LaunchFailure failure(const char *message) { return {message, kExitLaunchFailed}; }

const char *tokenAgeRefusal(TokenAge age) {
  switch (age) {
    case TokenAge::accepted: return nullptr;
    case TokenAge::expired: return "launch token expired !";
    case TokenAge::fromTheFuture: return "launch token issued in the future !";
    case TokenAge::noIssuingTime: return "launch token without issuing time !";
  }
  return nullptr;
}

// Arguments past the first three are taken as empty when a caller passes a
// null for them: main's own argv never has one before argc.
const char *orEmpty(const char *argument) { return argument ? argument : ""; }

// The variant of a PDF must be one the document layer knows; an image has
// none, and any other kind is shown as a PDF without looking at it.
bool kindAndVariantAgree(const QString &kind, const QString &variant) {
  if (QString::compare(kind, QLatin1String("pdf"), Qt::CaseSensitive) != 0) return true;
  return variant == QLatin1String("v1") || variant == QLatin1String("v2");
}

}  // namespace

LaunchParameters::~LaunchParameters() { secureWipe(contentKey.data(), contentKey.size()); }

LaunchOutcome parseLaunchArguments(int argc, const char *const *argv) {
  if (argc != kLaunchArgumentCount) return failure(kArgumentCountError);
  if (!argv || !argv[kPath] || !argv[kToken] || !argv[kNonce]) return failure(kMissingArgument);

  LaunchParameters parameters;
  parameters.path = QString::fromLocal8Bit(argv[kPath]);
  parameters.variant = QString::fromLatin1(orEmpty(argv[kVariant]));

  const char *token = argv[kToken];
  if (std::strlen(token) != kTokenDigits) return failure(nullptr);  // without a message
  std::array<char, kTokenLeadingFieldBytes> leadingField{};
  if (!unwrapLaunchToken(token, parameters.contentKey, leadingField))
    return failure(kTokenKeyError);
  if (const char *refusal = tokenAgeRefusal(checkTokenAge(
          leadingField.data(), leadingField.size(), std::time(nullptr), builtInMaxTokenAge())))
    return failure(refusal);
  if (!decodeContentNonce(argv[kNonce], parameters.nonce)) return failure(kNonceError);

  const QString kind = QString::fromLatin1(orEmpty(argv[kKind]));
  if (!kindAndVariantAgree(kind, parameters.variant)) return failure(kArgumentCountError);
  parameters.isImage = kind == QLatin1String("image");

  const char *watermark = orEmpty(argv[kWatermark]);
  if (*watermark) parameters.watermark = QString::fromLocal8Bit(watermark);
  parameters.pathUtf8 = parameters.path.toUtf8();
  return parameters;
}

void reportLaunchFailure(const LaunchFailure &failure) {
  if (failure.message) qDebug() << failure.message;
}

}  // namespace pageview
