// Summary of POSIX_MAPPED_FILES handling.
var path = @"C:\temp";
string s = $"total {count} itmes";
/* block
   comment */ int parseURL = 0;
