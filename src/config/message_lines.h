#pragma once
// The message lines by name. A message is known by its line in a language file, 135 to 257;
// the arguments of a format are named in brackets, in their order.

namespace lw::msg {

// The new-version notice (version).
inline constexpr int NewVersion = 135;
// An add-on was installed (name).
inline constexpr int AddonInstalled = 136;
// An add-on is being downloaded (description).
inline constexpr int AddonDownloading = 137;
// The chooser's entry name when the phonebook is empty.
inline constexpr int NoPhonebookEntries = 138;
// The chooser's number (country code, area code, local number).
inline constexpr int ChooserNumberWithCodes = 139;
// The chooser's number without codes (local number).
inline constexpr int ChooserNumberWithoutCodes = 140;
// A delayed hang-up starts (minutes, seconds).
inline constexpr int DelayElapsed = 141;
// Tray hint while hanging up.
inline constexpr int TrayHangingUp = 142;
// The information window's initial text.
inline constexpr int NoConnections = 143;
// Country text of an entry without country information.
inline constexpr int NoCountryInfo = 144;
// Question: may the application dial (application).
inline constexpr int AskAppDial = 145;
// Dial refused, application not permitted (application, number, country).
inline constexpr int DialNotPermitted = 146;
// Dial refused, application denied (application, number, country).
inline constexpr int DialDenied = 147;
// Accelerated connection replaces a dial (application).
inline constexpr int AccelerationStart = 148;
// The accelerated connection could not be prepared.
inline constexpr int AccelerationFailed = 149;
// Dial refused, number not safe (application, number, country).
inline constexpr int NotSafeNumber = 150;
// Dial refused, foreign country (application, number, country).
inline constexpr int ForeignCountry = 151;
// Dial refused, dangerous number (application, number, country).
inline constexpr int DangerRefused = 152;
// Dangerous number, hang-up after a delay (application, minutes, number, country).
inline constexpr int DangerDisconnectAfter = 153;
// Dangerous number, warning only (application, number, country).
inline constexpr int DangerDoNothing = 154;
// Dangerous number dialled by the user's own request (application, number, country).
inline constexpr int DangerDoNothingOwn = 155;
// Question without countdown: allow the dangerous number (application, number, country).
inline constexpr int DangerAskWaitFor = 156;
// Question with countdown: allow the dangerous number (application, number, country).
inline constexpr int DangerAskCountdown = 157;
// An application dials (application, number, country).
inline constexpr int DialAllowed = 158;
// Question: may the application hang up (application).
inline constexpr int AskAppHangUp = 159;
// Hang-up refused, application not permitted (application).
inline constexpr int HangUpNotPermitted = 160;
// Hang-up refused, application denied (application).
inline constexpr int HangUpDenied = 161;
// An application hangs up (application).
inline constexpr int HangUpAllowed = 162;
// Log: dial attempt header (date and time, application).
inline constexpr int LogDialHeader = 163;
// Log: phonebook entry (entry, phonebook).
inline constexpr int LogEntryLine = 164;
// Log: dial allowed.
inline constexpr int LogDialAllowed = 165;
// Log: dial blocked.
inline constexpr int LogDialBlocked = 166;
// Log: hang-up attempt header (date and time, application).
inline constexpr int LogHangUpHeader = 167;
// Log: hang-up allowed.
inline constexpr int LogHangUpAllowed = 168;
// Log: hang-up blocked.
inline constexpr int LogHangUpBlocked = 169;
// The translator's name.
inline constexpr int TranslatorName = 170;
// The translator's web address.
inline constexpr int TranslatorWeb = 171;
// The translator's e-mail address.
inline constexpr int TranslatorMail = 172;
// A second instance was started.
inline constexpr int AlreadyRunning = 173;
// Tray hint when monitoring starts.
inline constexpr int TrayIdle = 174;
// Entry name of the accelerated connection found in the phonebook.
inline constexpr int StatsSafeEntry = 175;
// Entry name of a connection without a phonebook entry.
inline constexpr int StatsNoEntry = 176;
// Entry name of the accelerated connection without a phonebook entry.
inline constexpr int StatsSafeNoEntry = 177;
// Statistics country text without country information.
inline constexpr int StatsNoCountryInfo = 178;
// Status bar without connections.
inline constexpr int StatusNoConnections = 179;
// Status bar with connections (count).
inline constexpr int StatusConnections = 180;
// The user's hang-up starts.
inline constexpr int UserHangUpStarted = 181;
// Enumerating the connections failed.
inline constexpr int ConnectionListError = 182;
// Enumerating the phonebook entries failed.
inline constexpr int PhonebookListError = 183;
// Tray hint when connected.
inline constexpr int TrayConnected = 184;
// Connected (number, country).
inline constexpr int ConnectedNumberCountry = 185;
// Connected without country (number).
inline constexpr int ConnectedNumber = 186;
// Connected to the accelerated number (number).
inline constexpr int ConnectedSafe = 187;
// Connected to a number not known as safe (number).
inline constexpr int ConnectedNotSafe = 188;
// Connected to a foreign country (country, number).
inline constexpr int ConnectedForeignCountry = 189;
// Connected to a dangerous number, hanging up (number, country).
inline constexpr int ConnectedDangerHangUp = 190;
// Connected to a dangerous number, hang-up later (number, country, minutes).
inline constexpr int ConnectedDangerHangUpAfter = 191;
// Connected to a dangerous number, warning only (number, country).
inline constexpr int ConnectedDangerDoNothing = 192;
// Notice before the question without countdown (number, country).
inline constexpr int ConnectedDangerWaitForInfo = 193;
// Question without countdown: keep the connection (number, country).
inline constexpr int ConnectedDangerWaitForAsk = 194;
// Notice before the question with countdown (number, country).
inline constexpr int ConnectedDangerCountdownInfo = 195;
// Question with countdown: keep the connection (number, country).
inline constexpr int ConnectedDangerCountdownAsk = 196;
// Tray hint after a disconnection.
inline constexpr int TrayIdleDisconnected = 197;
// A connection ended.
inline constexpr int Disconnected = 198;
// The modem was reset.
inline constexpr int ModemReset = 199;
// Statistics window caption (own country code, country name).
inline constexpr int StatsCaption = 200;
// Dial progress: opening the port.
inline constexpr int ProgressOpenPort = 201;
// Dial progress: port opened.
inline constexpr int ProgressPortOpened = 202;
// Dial progress: connecting the device.
inline constexpr int ProgressConnectDevice = 203;
// Dial progress: device connected.
inline constexpr int ProgressDeviceConnected = 204;
// Dial progress: authenticating.
inline constexpr int ProgressAuthenticate = 205;
// Dial progress: authentication notice.
inline constexpr int ProgressAuthNotify = 206;
// Dial progress: network projection.
inline constexpr int ProgressProjection = 207;
// Dial progress: authentication retry.
inline constexpr int ProgressAuthRetry = 208;
// Dial progress: authenticated.
inline constexpr int ProgressAuthenticated = 209;
// Dial progress: connected.
inline constexpr int ProgressConnected = 210;
// Dial progress: disconnected.
inline constexpr int ProgressDisconnected = 211;
// The default entry is not in the phonebook (entry).
inline constexpr int EntryNotFound = 212;
// The phonebook is missing or damaged.
inline constexpr int PhonebookMissing = 213;
// Credential prompt number without area code (local number).
inline constexpr int LoginNumberWithoutArea = 214;
// Credential prompt country without data.
inline constexpr int LoginNoCountry = 215;
// No password given (user name).
inline constexpr int NoPassword = 216;
// Tray hint while dialling the default entry.
inline constexpr int TrayDialling = 217;
// Tray hint when the default entry's dial did not start.
inline constexpr int TrayIdleDialFailed = 218;
// The accelerated connection has no parameters yet.
inline constexpr int AccelerationNotReady = 219;
// Question: end the program.
inline constexpr int AskClose = 220;
// Tray hint while closing.
inline constexpr int TrayClosing = 221;
// The accelerated connection is dialled (number, menu item, options page).
inline constexpr int AcceleratedDialling = 222;
// Tray hint while dialling the accelerated connection.
inline constexpr int TrayDiallingAccelerated = 223;
// Tray hint when the accelerated dial did not start.
inline constexpr int TrayIdleAcceleratedFailed = 224;
// An extension's stored key is wrong (file name).
inline constexpr int ExtensionKeyInvalid = 225;
// Loading the configuration failed.
inline constexpr int ConfigInitError = 226;
// The danger page's explanation (five captions).
inline constexpr int NotebookUnavailable = 227;
// Question: delete a dangerous number.
inline constexpr int AskDeleteDanger = 228;
// Prompt for a dangerous number.
inline constexpr int EnterDangerNumber = 229;
// Question: a mask makes every number dangerous.
inline constexpr int AllNumbersDangerous = 230;
// The first dangerous number selects an action (action caption).
inline constexpr int ChooseDangerAction = 231;
// Question: keep settings that leave the line unprotected (four captions).
inline constexpr int UnsafeSettingsAsk = 232;
// The dangerous-number list file is damaged.
inline constexpr int DangerListDamaged = 233;
// The safe-number list file is damaged.
inline constexpr int SafeListDamaged = 234;
// The permitted-application list file is damaged.
inline constexpr int PermitListDamaged = 235;
// The denied-application list file is damaged.
inline constexpr int DenyListDamaged = 236;
// Question: configure automatically.
inline constexpr int FirstRunAsk = 237;
// Caption of the first-run entry chooser.
inline constexpr int FirstRunChooserCaption = 238;
// Question: is a dial-up modem used.
inline constexpr int ModemQuestion = 239;
// No default entry was chosen.
inline constexpr int NoDefaultChosen = 240;
// The automatic configuration is done.
inline constexpr int Configured = 241;
// The stored settings are not valid.
inline constexpr int SettingsChecksumBad = 242;
// Question: open the options after warnings.
inline constexpr int WarningsShownAsk = 243;
// Prompt for a safe number.
inline constexpr int EnterSafeNumber = 244;
// Question: a mask makes every number safe.
inline constexpr int AllNumbersSafe = 245;
// The first safe number switches on only-safe numbers (option caption).
inline constexpr int OnlySafeSwitchedOn = 246;
// Question: delete a safe number.
inline constexpr int AskDeleteSafe = 247;
// The last safe number was deleted.
inline constexpr int SafeListEmptied = 248;
// Only-safe numbers needs safe numbers first.
inline constexpr int AddSafeNumbersFirst = 249;
// The chosen entry has no country and area code.
inline constexpr int EntryWithoutCodes = 250;
// Question: delete a permitted application.
inline constexpr int AskDeletePermitted = 251;
// Question: delete a denied application.
inline constexpr int AskDeleteDenied = 252;
// Open dialog title for a permitted application.
inline constexpr int ChoosePermittedApp = 253;
// The program itself cannot be permitted.
inline constexpr int OwnProgramPermitted = 254;
// Open dialog title for a denied application.
inline constexpr int ChooseDeniedApp = 255;
// The program itself cannot be denied.
inline constexpr int OwnProgramDenied = 256;
// The question window's countdown (seconds).
inline constexpr int CountdownLine = 257;

}  // namespace lw::msg
