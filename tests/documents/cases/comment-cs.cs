// Summary of POSIX_MAPPED_FILES handling.
var path = @"C:\temp";
string s = $"total {count} itmes";
/* block
   comment */ int parseURL = 0;
var t = $@"{name} in a verbatim strng";
var u = String.Format("{0} of {1,5} fils", done, all);
