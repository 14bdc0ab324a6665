# Fills the freshly provisioned test domain with the accounts the tests read. Runs once per
# provisioning, against the stopped DC's database (argument: its smb.conf), with Samba's own
# Python modules (/usr/bin/python3). States relative to the clock at start-up (a locked-out
# account, a Kerberos logon) are made by testdomain.sh after the DC has started.
import base64
import subprocess
import sys

import ldb
from samba import param
from samba.auth import system_session
from samba.samdb import SamDB
from samba.sd_utils import SDUtils

USERPASS = "Passw0rd!user"
CHANGE_PASSWORD_GUID = "ab721a53-1e2f-11d0-9819-00aa0040529b"
FOREIGN_SID = "S-1-5-21-1111111111-2222222222-3333333333-1105"
DAY = 864000000000  # 100-ns units
MINUTE = 600000000

lp = param.LoadParm()
lp.load(sys.argv[1])
samdb = SamDB(url=lp.samdb_url(), session_info=system_session(), lp=lp)
BASE = str(samdb.domain_dn())


def dn(rdn):
    return "%s,%s" % (rdn, BASE)


def add(entry):
    samdb.add(entry)


def modify(target, **attributes):
    message = ldb.Message(ldb.Dn(samdb, target))
    for name, value in attributes.items():
        message[name] = ldb.MessageElement(value, ldb.FLAG_MOD_REPLACE, name)
    samdb.modify(message)


def user(sam, ou="OU=People", cn=None, password=USERPASS, **options):
    samdb.newuser(sam, password, userou=ou, **options)
    target = "CN=%s,%s,%s" % (sam, ou, BASE)
    if cn:
        renamed = ldb.Dn(samdb, "CN=x,%s,%s" % (ou, BASE))
        renamed.set_component(0, "CN", cn)
        samdb.rename(ldb.Dn(samdb, target), renamed)
        target = str(renamed)
    return target


def by_sam(sam):
    return "(sAMAccountName=%s)" % sam


# Domain policy: 8 characters, 5 remembered, ages 1 to 90 days, 3 bad logons lock for 15 minutes,
# counted over 10 minutes.
modify(BASE, maxPwdAge=str(-90 * DAY), minPwdAge=str(-1 * DAY), minPwdLength="8", pwdHistoryLength="5",
       pwdProperties="1", lockoutThreshold="3", lockoutDuration=str(-15 * MINUTE),
       lockOutObservationWindow=str(-10 * MINUTE))

for ou in ["OU=People", "OU=Engineering,OU=People", "OU=Tools,OU=Engineering,OU=People", "OU=Groups",
           "OU=Service Accounts", "OU=Workstations", "OU=Bulk"]:
    add({"dn": dn(ou), "objectClass": "organizationalUnit"})
add({"dn": dn("CN=Staff Container"), "objectClass": "container"})

user("alice", givenname="Alice", surname="Archer")
modify(dn("CN=alice,OU=People"), displayName="Alice Archer")
user("bob")
samdb.disable_account(by_sam("bob"))
user("carol")
samdb.setexpiry(by_sam("carol"), -86400)
user("dave")
samdb.setexpiry(by_sam("dave"), 0, no_expiry_req=True)
user("erin", force_password_change_at_next_login_req=True)
user("frank")
user("grace")
user("heidi")
SDUtils(samdb).dacl_add_ace(dn("CN=heidi,OU=People"),
                            "(OD;;CR;%s;;PS)(OD;;CR;%s;;WD)" % (CHANGE_PASSWORD_GUID, CHANGE_PASSWORD_GUID))
user("ivan")
modify(dn("CN=ivan,OU=People"), logonHours=base64.b64decode("AAAAAP8DAP8DAP8DAP8DAP8DAAAA"),
       userWorkstations="WS01,WS02")
user("judy", password=None, smartcard_required=True)
# Password stored with reversible encryption; password not required (and the shortest display name).
user("rhea")
modify(dn("CN=rhea,OU=People"), userAccountControl=str(0x200 | 0x80))
user("nils")
modify(dn("CN=nils,OU=People"), userAccountControl=str(0x200 | 0x20), displayName="Nils")
# Change password denied to Everyone only: SELF may still change it.
user("oscar")
SDUtils(samdb).dacl_add_ace(dn("CN=oscar,OU=People"), "(OD;;CR;%s;;WD)" % CHANGE_PASSWORD_GUID)
# A workstation list longer than 32 characters and a display name longer than its 20-column field.
user("wendy")
modify(dn("CN=wendy,OU=People"), userWorkstations="WS01,WS02,SRV01,LAB-PC-0001,LAB-PC-0002,LAB-PC-0003")
user("lena")
modify(dn("CN=lena,OU=People"), displayName="Lena Lindqvist-Andersson of Finance")
user("svc-backup", ou="OU=Service Accounts")
samdb.setexpiry(by_sam("svc-backup"), 30 * 86400)
user("kate", ou="OU=Engineering,OU=People")
user("leo", ou="OU=Engineering,OU=People")
user("mallory", ou="OU=Tools,OU=Engineering,OU=People")
user("pat", ou="CN=Staff Container")
# Names that need escaping or are not ASCII.
user("annlee", cn="Lee, Ann")
user("annbo", cn="Ann/Bo")
user("juergen", cn="Jürgen Müller")
modify(dn("CN=Jürgen Müller,OU=People"), displayName="Jürgen Müller")
# Accounts that the authentication fault tests log on with: one whose password was set long ago
# (below), one whose logon hours allow no hour at all, one that wrong passwords never lock out
# (NoLockoutPSO below), and one that the tests disable and lock out for a while, then restore.
user("olga")
user("hugo")
modify(dn("CN=hugo,OU=People"), logonHours=bytes(21))
user("walt")
user("vera")

add({"dn": dn("CN=ines,OU=People"), "objectClass": "inetOrgPerson", "sAMAccountName": "ines",
     "userAccountControl": "514"})
samdb.setpassword("(sAMAccountName=ines)", USERPASS)
modify(dn("CN=ines,OU=People"), userAccountControl="512")

for i in range(1, 46):
    add({"dn": dn("CN=bulk%02d,OU=Bulk" % i), "objectClass": "user", "sAMAccountName": "bulk%02d" % i,
         "userAccountControl": "514"})

# 2,000 workstations for the large-group and long-run tests, in one transaction. Computers, so that
# searches for users (and the accounts whose primary group is Domain Users) do not grow with them.
HUGE_COUNT = 2000
add({"dn": dn("OU=Huge"), "objectClass": "organizationalUnit"})
samdb.transaction_start()
for i in range(1, HUGE_COUNT + 1):
    add({"dn": dn("CN=huge%04d,OU=Huge" % i), "objectClass": "computer", "sAMAccountName": "huge%04d$" % i,
         "userAccountControl": str(0x1000 | 0x2)})
samdb.transaction_commit()

for name, ou in [("WS01", "OU=Workstations"), ("WS02", "OU=Workstations"), ("SRV01", None)]:
    samdb.newcomputer(name, computerou=ou)
samdb.newcontact(fullcontactname="Carl Contact", givenname="Carl", surname="Contact",
                 mailaddress="carl@example.test")

GLOBAL_SECURITY = str(-2147483646)
LOCAL_SECURITY = str(-2147483644)
UNIVERSAL_DISTRIBUTION = "8"
for name, kind in [("Staff", GLOBAL_SECURITY), ("Managers", GLOBAL_SECURITY), ("Auditors", GLOBAL_SECURITY),
                   ("LoopA", GLOBAL_SECURITY), ("LoopB", GLOBAL_SECURITY), ("Big Group", GLOBAL_SECURITY),
                   ("Empty Group", GLOBAL_SECURITY), ("DistList", UNIVERSAL_DISTRIBUTION),
                   ("LocalRes", LOCAL_SECURITY), ("Huge Group", GLOBAL_SECURITY)]:
    add({"dn": dn("CN=%s,OU=Groups" % name), "objectClass": "group", "sAMAccountName": name,
         "groupType": kind})


def members(group, *names):
    samdb.add_remove_group_members(group, list(names), add_members_operation=True)


members("Managers", "dave")
members("Staff", "alice", "bob", "carol", "Managers")
members("Auditors", "Staff")
members("LoopA", "frank", "LoopB")
members("LoopB", "erin", "LoopA")
members("Big Group", *["bulk%02d" % i for i in range(1, 46)])
members("DistList", "alice", "kate")
# One modification with every value: adding them one by one rewrites the growing list each time.
message = ldb.Message(ldb.Dn(samdb, dn("CN=Huge Group,OU=Groups")))
message["member"] = ldb.MessageElement([dn("CN=huge%04d,OU=Huge" % i) for i in range(1, HUGE_COUNT + 1)],
                                       ldb.FLAG_MOD_ADD, "member")
samdb.modify(message)

# Foreign security principals: a well-known one that exists already and one of an unknown domain,
# whose principal object the directory creates when the SID is added as a member.
message = ldb.Message(ldb.Dn(samdb, dn("CN=LocalRes,OU=Groups")))
message["member"] = ldb.MessageElement([dn("CN=S-1-5-11,CN=ForeignSecurityPrincipals"),
                                        "<SID=%s>" % FOREIGN_SID,
                                        dn("CN=heidi,OU=People")], ldb.FLAG_MOD_ADD, "member")
samdb.modify(message)

# Password settings objects: one applied directly, one through a group.
PSO_CONTAINER = dn("CN=Password Settings Container,CN=System")


def pso(name, precedence, min_length, history, max_age_days, threshold, duration_min, window_min, complexity,
        applies_to):
    add({"dn": "CN=%s,%s" % (name, PSO_CONTAINER), "objectClass": "msDS-PasswordSettings",
         "msDS-PasswordSettingsPrecedence": str(precedence),
         "msDS-PasswordReversibleEncryptionEnabled": "FALSE",
         "msDS-PasswordHistoryLength": str(history),
         "msDS-PasswordComplexityEnabled": complexity,
         "msDS-MinimumPasswordLength": str(min_length),
         "msDS-MinimumPasswordAge": str(-1 * DAY),
         "msDS-MaximumPasswordAge": str(-max_age_days * DAY),
         "msDS-LockoutThreshold": str(threshold),
         "msDS-LockoutObservationWindow": str(-window_min * MINUTE),
         "msDS-LockoutDuration": str(-duration_min * MINUTE),
         "msDS-PSOAppliesTo": applies_to})


pso("StrictPSO", 10, 14, 10, 30, 5, 60, 60, "TRUE", dn("CN=frank,OU=People"))
pso("ManagersPSO", 20, 10, 5, 60, 0, 30, 30, "FALSE", dn("CN=Managers,OU=Groups"))
pso("NoLockoutPSO", 30, 8, 5, 90, 0, 15, 10, "TRUE", dn("CN=walt,OU=People"))

# The directory takes no pwdLastSet but 0 and -1, so olga's is set long ago (1 January 2020) in the
# partition's own database, below the directory's checks: her password has then expired, whenever
# the domain is started. A process of its own writes it, as this one may still hold it open.
del samdb
RAW_PWD_LAST_SET = """
import sys, ldb
db = ldb.Ldb(sys.argv[1], options=["modules:"])
message = ldb.Message(ldb.Dn(db, sys.argv[2]))
message["pwdLastSet"] = ldb.MessageElement(sys.argv[3], ldb.FLAG_MOD_REPLACE, "pwdLastSet")
db.modify(message)
"""
subprocess.run([sys.executable, "-c", RAW_PWD_LAST_SET, lp.private_path("sam.ldb.d/%s.ldb" % BASE.upper()),
                dn("CN=olga,OU=People"), "132223104000000000"], check=True)
print("populated")
