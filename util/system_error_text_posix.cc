// System error texts on a system without Windows message tables: the Windows texts of the codes that
// the directory layer and the file functions produce, so reports read the same on every platform.
#include <cstring>

#include "util/error_text.h"

namespace {

// Texts as the Windows system message tables (and the network message module for 2100 to 2999)
// hold them, full stops included; SystemErrorText trims them like any system text.
constexpr CodeText kSystemTexts[] = {
    {0, "The operation completed successfully."},
    {2, "The system cannot find the file specified."},
    {3, "The system cannot find the path specified."},
    {5, "Access is denied."},
    {8, "Not enough memory resources are available to process this command."},
    {14, "Not enough memory resources are available to complete this operation."},
    {31, "A device attached to the system is not functioning."},
    {87, "The parameter is incorrect."},
    {1225, "The remote computer refused the network connection."},
    {1311, "There are currently no logon servers available to service the logon request."},
    {1317, "The specified account does not exist."},
    {1323, "Unable to update the password. The value provided as the current password is incorrect."},
    {1326, "The user name or password is incorrect."},
    {1327,
     "Account restrictions are preventing this user from signing in. For example: blank passwords "
     "aren't allowed, sign-in times are limited, or a policy restriction has been enforced."},
    {1328, "Your account has time restrictions that keep you from signing in right now."},
    {1329, "This user isn't allowed to sign in to this computer."},
    {1330, "The password for this account has expired."},
    {1331, "This user can't sign in because this account is currently disabled."},
    {1332, "No mapping between account names and security IDs was done."},
    {1355, "The specified domain either does not exist or could not be contacted."},
    {1384, "During a logon attempt, the user's security context accumulated too many security IDs."},
    {1460, "This operation returned because the timeout period expired."},
    {1722, "The RPC server is unavailable."},
    {1793, "The user's account has expired."},
    {1907, "The user's password must be changed before signing in."},
    {1909, "The referenced account is currently locked out and may not be logged on to."},
    {2221, "The user name could not be found."},
    {8202, "The specified directory service attribute or value does not exist."},
    {8206, "The directory service is busy."},
    {8207, "The directory service is unavailable."},
    {8224, "An operations error occurred."},
    {8225, "A protocol error occurred."},
    {8226, "The time limit for this request was exceeded."},
    {8227, "The size limit for this request was exceeded."},
    {8228, "The administrative limit for this request was exceeded."},
    {8231, "The requested authentication method is not supported by the server."},
    {8232, "A more secure authentication method is required for this server."},
    {8234, "The authentication mechanism is unknown."},
    {8235, "A referral was returned from the server."},
    {8237, "This request requires a secure connection."},
    {8239, "A constraint violation occurred."},
    {8240, "There is no such object on the server."},
    {8242, "An invalid dn syntax has been specified."},
    {8245, "The server is unwilling to process the request."},
    {8250, "The server is not operational."},
    {8251, "A local error has occurred."},
    {8252, "An encoding error has occurred."},
    {8253, "A decoding error has occurred."},
    {8254, "The search filter cannot be recognized."},
    {8256, "The specified method is not supported."},
    {8257, "No results were returned."},
    {8333, "Directory object not found."},
    {8341, "A directory service error has occurred."},
    {8469, "Name translation: Generic processing error."},
    {8470, "Name translation: Could not find the name or insufficient right to see name."},
    {9003, "DNS name does not exist."},
    {0x80004001, "Not implemented"},
    {0x80004002, "No such interface supported"},
    {0x80004005, "Unspecified error"},
    {0x8000FFFF, "Catastrophic failure"},
};

}  // namespace

std::string PlatformErrorText(uint32_t code) {
  const char* known = FindCodeText(kSystemTexts, code);
  return known ? known : "";
}
